// "metaballs" without a device: the marching-cubes tables, the walk from each ball and the
// flood along the surface, the vertices' normals and texture coordinates, the guards against
// a centre on a grid point; then the module on the null device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "effect_test_support.h"
#include "geometry/marching_cubes_tables.h"
#include "geometry/metaball_surface.h"

namespace {

using effects::MetaballSurface;

// Far outside the grid: such a centre starts no walk and adds next to nothing to the field.
const D3DXVECTOR3 kAway(1000.0f, 1000.0f, 1000.0f);

struct CubeXyz {
  int x, y, z;
};
CubeXyz Xyz(int cube) {
  return {cube % 16, (cube / 16) % 16, cube / 256};
}

// The case index of cube (x, y, z) for a single ball at c, worked out here from the field.
int CaseOf(int x, int y, int z, const D3DXVECTOR3& c) {
  int index = 0;
  for (int k = 0; k < 8; ++k) {
    const float px = -20.0f + 2.5f * (x + effects::kCubeCorner[k][0]);
    const float py = -20.0f + 2.5f * (y + effects::kCubeCorner[k][1]);
    const float pz = -20.0f + 2.5f * (z + effects::kCubeCorner[k][2]);
    const float d2 = (px - c.x) * (px - c.x) + (py - c.y) * (py - c.y) + (pz - c.z) * (pz - c.z);
    if (1.0f / d2 >= MetaballSurface::kThreshold) index |= 1 << k;
  }
  return index;
}

bool IsSurface(int caseIndex) {
  return caseIndex != 0 && caseIndex != 255;
}

TEST(MarchingCubesTablesTest, FirstRowsAreThePublishedOnes) {
  EXPECT_EQ(0x000, effects::kCutEdges[0]);
  EXPECT_EQ(0x109, effects::kCutEdges[1]);
  EXPECT_EQ(0x203, effects::kCutEdges[2]);
  EXPECT_EQ(0x30A, effects::kCutEdges[3]);
  EXPECT_EQ(-1, effects::kCaseTriangles[0][0]);
  const int row1[] = {0, 8, 3, -1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(row1[i], effects::kCaseTriangles[1][i]) << i;
  const int row3[] = {1, 8, 3, 9, 8, 1, -1};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(row3[i], effects::kCaseTriangles[3][i]) << i;
}

TEST(MarchingCubesTablesTest, EveryRowAgreesWithTheCornerAndEdgeNumbering) {
  for (int c = 0; c < 256; ++c) {
    // An edge is cut exactly when one of its corners is inside and the other is not.
    int cut = 0;
    for (int e = 0; e < 12; ++e) {
      const bool a = c & (1 << effects::kCubeEdge[e][0]);
      const bool b = c & (1 << effects::kCubeEdge[e][1]);
      if (a != b) cut |= 1 << e;
    }
    EXPECT_EQ(cut, effects::kCutEdges[c]) << "case " << c;

    // Triangles use only cut edges, in whole triples, and every cut edge is used.
    int used = 0, count = 0;
    while (count < 16 && effects::kCaseTriangles[c][count] >= 0) {
      used |= 1 << effects::kCaseTriangles[c][count];
      ++count;
    }
    EXPECT_EQ(0, count % 3) << "case " << c;
    EXPECT_LE(count, 15) << "case " << c;
    EXPECT_EQ(cut, used) << "case " << c;
  }
}

class MetaballSurfaceTest : public ::testing::Test {
 protected:
  void Build(const D3DXVECTOR3& a, const D3DXVECTOR3& b = kAway,
             const D3DXVECTOR2& offset = D3DXVECTOR2(0.0f, 0.0f)) {
    const D3DXVECTOR3 centres[4] = {a, b, kAway, kAway};
    surface.Build(centres, offset);
  }

  MetaballSurface surface;
};

TEST_F(MetaballSurfaceTest, BallInsideItsCubeWalksTowardsMinusXFirst) {
  const D3DXVECTOR3 ball(1.25f, 1.25f, 1.25f);  // centre of cube (8, 8, 8)
  ASSERT_EQ(255, CaseOf(8, 8, 8, ball)) << "a ball's own cube lies wholly inside";
  Build(ball);
  ASSERT_FALSE(surface.CubeList().empty());
  int expected = 7;
  while (!IsSurface(CaseOf(expected, 8, 8, ball))) --expected;
  const CubeXyz first = Xyz(surface.CubeList()[0]);
  EXPECT_EQ(expected, first.x) << "the first surface cube along -x";
  EXPECT_EQ(8, first.y);
  EXPECT_EQ(8, first.z);
}

TEST_F(MetaballSurfaceTest, BallInTheFirstColumnWalksTowardsPlusX) {
  const D3DXVECTOR3 ball(-19.0f, 1.25f, 1.25f);  // cube (0, 8, 8): no -x neighbour
  Build(ball);
  ASSERT_FALSE(surface.CubeList().empty());
  int expected = 1;
  while (!IsSurface(CaseOf(expected, 8, 8, ball))) ++expected;
  const CubeXyz first = Xyz(surface.CubeList()[0]);
  EXPECT_EQ(expected, first.x) << "the first surface cube along +x";
  EXPECT_EQ(8, first.y);
  EXPECT_EQ(8, first.z);
}

TEST_F(MetaballSurfaceTest, SurfaceNoWalkReachesIsNotDrawn) {
  // The blob of a ball in the second column reaches past the grid's -x face: its walk
  // towards -x meets only inside cubes and leaves the grid.
  const D3DXVECTOR3 nearBorder(-16.25f, 1.25f, 1.25f);
  Build(nearBorder);
  EXPECT_EQ(0, surface.TriangleCount());

  // With a second ball far from it, only the second ball's blob is drawn.
  Build(nearBorder, D3DXVECTOR3(10.0f, 0.0f, 0.0f));
  ASSERT_GT(surface.TriangleCount(), 0);
  for (int i = 0; i < surface.TriangleCount() * 3; ++i) {
    ASSERT_GT(surface.Vertices()[i].x, 0.0f) << "vertex " << i << " belongs to the far blob";
  }
}

TEST_F(MetaballSurfaceTest, SingleBallGivesAClosedSurfaceWithInwardNormals) {
  const D3DXVECTOR3 ball(0.3f, -0.2f, 0.1f);
  Build(ball);
  const int triangles = surface.TriangleCount();
  ASSERT_GT(triangles, 100);
  ASSERT_LE(triangles, MetaballSurface::kMaxTriangles);

  // Closed: every triangle side is shared by exactly two triangles. A wrong table row would
  // leave a hole or a flap.
  using Point = std::tuple<float, float, float>;
  std::map<std::pair<Point, Point>, int> sides;
  const effects::VertexNormalTex* v = surface.Vertices();
  for (int t = 0; t < triangles; ++t) {
    for (int k = 0; k < 3; ++k) {
      const auto& a = v[t * 3 + k];
      const auto& b = v[t * 3 + (k + 1) % 3];
      Point pa{a.x, a.y, a.z}, pb{b.x, b.y, b.z};
      if (pb < pa) std::swap(pa, pb);
      ++sides[{pa, pb}];
    }
  }
  for (const auto& side : sides) ASSERT_EQ(2, side.second) << "an open or doubled side";

  const float radius = std::sqrt(1.0f / MetaballSurface::kThreshold);
  for (int i = 0; i < triangles * 3; ++i) {
    const D3DXVECTOR3 p(v[i].x - ball.x, v[i].y - ball.y, v[i].z - ball.z);
    const float length = D3DXVec3Length(&p);
    ASSERT_NEAR(radius, length, 0.5f) << "vertices lie near the threshold sphere";
    const D3DXVECTOR3 inward = -p / length;
    // The texture coordinates come from the true normal; its y is then replaced by 0.8
    // where neither x nor y is steeper than 0.7.
    EXPECT_NEAR(1.0f - inward.x * 0.5f + 0.5f, v[i].u, 0.03f);
    EXPECT_NEAR((inward.y + 1.0f) * 0.5f, v[i].v, 0.03f);
    EXPECT_NEAR(inward.x, v[i].nx, 0.06f);
    EXPECT_NEAR(inward.z, v[i].nz, 0.06f);
    if (std::fabs(v[i].nx) <= 0.65f && std::fabs((v[i].v - 0.5f) * 2.0f) <= 0.65f) {
      EXPECT_EQ(0.8f, v[i].ny) << "vertex " << i;
    } else if (std::fabs(v[i].nx) > 0.75f || std::fabs(inward.y) > 0.75f) {
      EXPECT_NEAR(inward.y, v[i].ny, 0.06f) << "vertex " << i;
    }
  }
}

TEST_F(MetaballSurfaceTest, TexOffsetShiftsEveryCoordinate) {
  const D3DXVECTOR3 ball(0.3f, -0.2f, 0.1f);
  Build(ball);
  const std::vector<effects::VertexNormalTex> plain(
      surface.Vertices(), surface.Vertices() + surface.TriangleCount() * 3);
  Build(ball, kAway, D3DXVECTOR2(0.5f, -0.25f));
  ASSERT_EQ(plain.size(), static_cast<size_t>(surface.TriangleCount() * 3));
  for (size_t i = 0; i < plain.size(); ++i) {
    EXPECT_FLOAT_EQ(plain[i].u + 0.5f, surface.Vertices()[i].u);
    EXPECT_FLOAT_EQ(plain[i].v - 0.25f, surface.Vertices()[i].v);
    EXPECT_EQ(plain[i].x, surface.Vertices()[i].x);
  }
}

TEST_F(MetaballSurfaceTest, CentreOnAGridPointOrEdgeStaysFinite) {
  // (0, 0, 0) is a grid point; (1.25, 0, 0) the middle of a grid edge; (-20, -20, -20) the
  // grid's corner. The plain field is 1/0 there.
  const D3DXVECTOR3 cases[][2] = {
      {D3DXVECTOR3(0.0f, 0.0f, 0.0f), kAway},
      {D3DXVECTOR3(1.25f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 0.0f, 0.0f)},
      {D3DXVECTOR3(-20.0f, -20.0f, -20.0f), D3DXVECTOR3(5.0f, 5.0f, 5.0f)},
  };
  for (const auto& c : cases) {
    Build(c[0], c[1]);
    ASSERT_GT(surface.TriangleCount(), 0);
    for (int i = 0; i < surface.TriangleCount() * 3; ++i) {
      const auto& v = surface.Vertices()[i];
      for (float f : {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v}) {
        ASSERT_TRUE(std::isfinite(f)) << "vertex " << i << " of a ball at (" << c[0].x << ", "
                                      << c[0].y << ", " << c[0].z << ")";
      }
    }
  }
}

TEST_F(MetaballSurfaceTest, CentresOutsideTheGridStartNoWalk) {
  Build(D3DXVECTOR3(-25.0f, 0.0f, 0.0f), D3DXVECTOR3(0.0f, 30.0f, 0.0f));
  EXPECT_EQ(0, surface.TriangleCount());
}

TEST_F(MetaballSurfaceTest, ModuleMotionKeepsEveryTriangleWithinTheBuffer) {
  // Over a minute of motion the four blobs merge and part; each frame stays within the
  // triangles the grid can yield and every listed cube is a surface cube found once.
  for (float t = 0.0f; t < 60000.0f; t += 1500.0f) {
    D3DXVECTOR3 centres[4];
    effects::MetaballCentres(t, centres);
    surface.Build(centres, D3DXVECTOR2(0.0f, 0.0f));
    ASSERT_GT(surface.TriangleCount(), 0) << "at " << t << " ms";
    ASSERT_LE(surface.TriangleCount(), MetaballSurface::kMaxTriangles);
    std::vector<bool> seen(MetaballSurface::kCubeCount, false);
    for (int cube : surface.CubeList()) {
      ASSERT_FALSE(seen[cube]) << "cube " << cube << " listed twice at " << t << " ms";
      seen[cube] = true;
    }
  }
}

TEST(MetaballCentresTest, BallsMoveOnTheirFixedCurves) {
  D3DXVECTOR3 c[4];
  effects::MetaballCentres(0.0f, c);
  EXPECT_FLOAT_EQ(10.4f, c[0].x);
  EXPECT_FLOAT_EQ(10.4f, c[0].y);
  EXPECT_FLOAT_EQ(0.0f, c[0].z);
  EXPECT_FLOAT_EQ(2.6f, c[1].x);
  EXPECT_FLOAT_EQ(10.4f, c[2].z);
  // 1000 ms: a = 18; ball 3 shares ball 1's y and takes ball 0's x multiplier for its z.
  effects::MetaballCentres(1000.0f, c);
  EXPECT_FLOAT_EQ(c[1].y, c[3].y);
  EXPECT_NEAR(10.4f * std::sin(18.0f * 0.083333328f), c[3].z, 1e-4f);
  EXPECT_NEAR(10.4f * std::cos(18.0f * 0.083333328f), c[0].x, 1e-4f);
}

class MetaballsModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }

  EffectWorld world{false};
};

TEST_F(MetaballsModuleTest, OneDrawOfTheWholeSurfaceAndOnlyTheProjectionStays) {
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline><m type=\"metaballs\" start=\"0\" end=\"5000\">"
      "<param name=\"eyepoint\" type=\"vec3\" x=\"0\" y=\"0\" z=\"-50\"/></m></timeline>"));
  world.device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  world.device()->SetRenderState(D3DRS_LIGHTING, FALSE);
  world.ClearCalls();
  world.timeline.Render(2000.0f);

  D3DXVECTOR3 centres[4];
  effects::MetaballCentres(2000.0f, centres);
  MetaballSurface expected;
  expected.Build(centres, D3DXVECTOR2(0.0f, 0.0f));

  int draws = 0;
  for (const VexilRecordedCall& call : world.calls()) {
    if (call.kind == VEXIL_CALL_CLEAR) {
      EXPECT_EQ(static_cast<DWORD>(D3DCLEAR_ZBUFFER), call.clearFlags);
    }
    if (call.kind != VEXIL_CALL_DRAW) continue;
    ++draws;
    EXPECT_EQ(D3DPT_TRIANGLELIST, call.primitiveType);
    EXPECT_EQ(static_cast<UINT>(expected.TriangleCount()), call.primitiveCount);
    EXPECT_EQ(0x112u, call.fvf);
    EXPECT_EQ(32u, call.stride);
  }
  EXPECT_EQ(1, draws);
  EXPECT_EQ(static_cast<DWORD>(D3DCULL_CW), RenderStateOf(world.device(), D3DRS_CULLMODE))
      << "restored";
  EXPECT_EQ(static_cast<DWORD>(FALSE), RenderStateOf(world.device(), D3DRS_LIGHTING)) << "restored";

  D3DXMATRIX projection, fov;
  world.device()->GetTransform(D3DTS_PROJECTION, &projection);
  D3DXMatrixPerspectiveFovLH(&fov, 0.7853982f, 1.3333334f, 1.0f, 200.0f);
  EXPECT_EQ(0, std::memcmp(&fov, &projection, sizeof(fov))) << "the projection stays set";
}

TEST_F(MetaballsModuleTest, FailedLockDrawsNothing) {
  ASSERT_TRUE(
      world.LoadTimeline("<timeline><m type=\"metaballs\" start=\"0\" end=\"5000\"/></timeline>"));
  world.ClearCalls();
  VexilNullFailNext(world.device(), VEXIL_FAIL_LOCK, 1);
  world.timeline.Render(100.0f);
  for (const VexilRecordedCall& call : world.calls()) EXPECT_NE(VEXIL_CALL_DRAW, call.kind);
}

}  // namespace

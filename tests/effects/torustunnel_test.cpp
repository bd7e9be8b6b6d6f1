// "torustunnel" without pixels: the torus builder's counts, placement, tu/tv pattern and
// indices, the sizes it refuses, and on the null device the draw, the world transform
// Rx x T x Rz x Ry it leaves set and the view and projection it hands back. Also "torusknot",
// which plays without drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "effect_test_support.h"
#include "geometry/torus_mesh.h"

namespace {

using effects::BuildTorus;
using effects::Triangle16;
using effects::VertexColorTex;

TEST(TorusMeshTest, DefaultTorusHasItsPointsOnTheTube) {
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTorus(1.0f, 128, 0.1f, 16, &vertices, &triangles);
  ASSERT_EQ(2048u, vertices.size());
  ASSERT_EQ(4096u, triangles.size());
  for (const VertexColorTex& v : vertices) {
    // Distance from the centre circle (radius 1 in the y-z plane) is the tube radius.
    const float fromAxis = std::sqrt(v.y * v.y + v.z * v.z) - 1.0f;
    ASSERT_NEAR(0.1f, std::sqrt(fromAxis * fromAxis + v.x * v.x), 1e-4f);
    ASSERT_EQ(0xFFFFFFFFu, v.color);
  }
  // Ring 0 lies in the x-z plane around (0, 0, 1); point 4 is a quarter round, at z 1.1.
  EXPECT_NEAR(0.1f, vertices[0].x, 1e-6f);
  EXPECT_NEAR(1.0f, vertices[0].z, 1e-6f);
  EXPECT_NEAR(1.1f, vertices[4].z, 1e-6f);
  EXPECT_EQ(0.0f, vertices[4].y);
  // Ring 32 is a quarter turn about x: (x, y, z) -> (x, -z, y).
  EXPECT_NEAR(-1.0f, vertices[32 * 16].y, 1e-4f);
  EXPECT_NEAR(0.0f, vertices[32 * 16].z, 1e-4f);
}

TEST(TorusMeshTest, TextureRepeatsOncePerQuadAndShiftsWithAnOddPointCount) {
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTorus(1.0f, 4, 0.1f, 3, &vertices, &triangles);
  ASSERT_EQ(12u, vertices.size());
  std::vector<float> u, v;
  for (const VertexColorTex& vertex : vertices) {
    u.push_back(vertex.u);
    v.push_back(vertex.v);
  }
  EXPECT_EQ((std::vector<float>{1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0}), u)
      << "u alternates across ring boundaries, so each ring starts one step shifted";
  EXPECT_EQ((std::vector<float>{0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 1, 1}), v);
}

TEST(TorusMeshTest, QuadsJoinNeighbourPointsAndTheLastRingToTheFirst) {
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTorus(1.0f, 3, 0.1f, 4, &vertices, &triangles);
  ASSERT_EQ(24u, triangles.size());
  auto is = [](const Triangle16& t, uint16_t a, uint16_t b, uint16_t c) {
    return t.a == a && t.b == b && t.c == c;
  };
  EXPECT_TRUE(is(triangles[0], 0, 1, 5));
  EXPECT_TRUE(is(triangles[1], 5, 4, 0));
  EXPECT_TRUE(is(triangles[6], 3, 0, 4)) << "the last point joins the first";
  EXPECT_TRUE(is(triangles[7], 4, 7, 3));
  EXPECT_TRUE(is(triangles[16], 8, 9, 1)) << "the last ring joins the first";
  EXPECT_TRUE(is(triangles[23], 0, 3, 11));
}

TEST(TorusMeshTest, SizesWithoutASurfaceOrBeyond16BitIndicesBuildNothing) {
  struct Case {
    float outRadius;
    int32_t outSegments;
    float inRadius;
    int32_t inSegments;
    bool builds;
  };
  const Case cases[] = {{1, 128, 0.1f, 16, true},   {0, 128, 0.1f, 16, false},
                        {1, 128, 0, 16, false},     {1, 0, 0.1f, 16, false},
                        {1, 128, 0.1f, 0, false},   {1, -128, 0.1f, 16, false},
                        {1, 128, 0.1f, -2, false},  {1, 4096, 0.1f, 16, true},
                        {1, 4097, 0.1f, 16, false}, {1, 2000000000, 0.1f, 2000000000, false},
                        {-1, 8, -0.1f, 8, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.builds, effects::TorusProblem(c.outRadius, c.outSegments, c.inRadius,
                                              c.inSegments) == nullptr)
        << c.outSegments << " x " << c.inSegments;
    if (c.builds) continue;
    std::vector<VertexColorTex> vertices(2);
    std::vector<Triangle16> triangles(2);
    BuildTorus(c.outRadius, c.outSegments, c.inRadius, c.inSegments, &vertices, &triangles);
    EXPECT_TRUE(vertices.empty() && triangles.empty());
  }
  // The largest torus reaches its last point.
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTorus(1.0f, 4096, 0.1f, 16, &vertices, &triangles);
  uint16_t highest = 0;
  for (const Triangle16& t : triangles) highest = std::max({highest, t.a, t.b, t.c});
  EXPECT_EQ(65535, highest);
}

class TorusTunnelModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }
  EffectWorld world{false, 800, 400};
};

TEST_F(TorusTunnelModuleTest, DrawsTheTorusAndLeavesItsWorldTransformSet) {
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>" +
      Module("torustunnel",
             Param("torusxangle", "float", "30") + Param("toruszangle", "float", "90") +
                 Param("torusyangle", "float", "90") + Param("torusxpos", "float", "0.5") +
                 Param("toruszpos", "float", "2") + Param("outradius", "float", "3")) +
      "</timeline>"));
  IDirect3DDevice9* device = world.device();
  D3DXMATRIX projection, view;
  D3DXMatrixScaling(&projection, 2, 3, 4);
  D3DXMatrixTranslation(&view, 1, 2, 3);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->SetTransform(D3DTS_VIEW, &view);
  const DeviceStates before = StatesOf(device);
  world.ClearCalls();
  world.timeline.Render(0.0f);

  const auto draws = CallsOf(world, VEXIL_CALL_DRAWINDEXED);
  ASSERT_EQ(1u, draws.size());
  EXPECT_EQ(D3DPT_TRIANGLELIST, draws[0].primitiveType);
  EXPECT_EQ(2048u, draws[0].numVertices);
  EXPECT_EQ(4096u, draws[0].primitiveCount);
  EXPECT_EQ(0x142u, draws[0].fvf);
  EXPECT_EQ(24u, draws[0].stride);

  EXPECT_TRUE(before == StatesOf(device));
  EXPECT_TRUE(TransformOf(device, D3DTS_PROJECTION) == projection);
  EXPECT_TRUE(TransformOf(device, D3DTS_VIEW) == view);
  // The top of the centre circle, (0, 3, 0), is first rolled 30 degrees about x, then
  // dropped by the outer radius and moved to (0.5, -3, 2), turned a quarter about z, then a
  // quarter about y.
  const D3DXMATRIX worldMatrix = TransformOf(device, D3DTS_WORLD);
  D3DXVECTOR3 top(0, 3, 0), placed;
  D3DXVec3TransformCoord(&placed, &top, &worldMatrix);
  const float s = std::sin(30 * 0.017453292f), c = std::cos(30 * 0.017453292f);
  D3DXVECTOR3 p(0.0f, 3 * c, 3 * s);    // rolled
  p += D3DXVECTOR3(0.5f, -3.0f, 2.0f);  // dropped and moved
  p = D3DXVECTOR3(-p.y, p.x, p.z);      // a quarter about z: x -> y
  p = D3DXVECTOR3(p.z, p.y, -p.x);      // a quarter about y: z -> x
  EXPECT_NEAR(p.x, placed.x, 1e-4f);
  EXPECT_NEAR(p.y, placed.y, 1e-4f);
  EXPECT_NEAR(p.z, placed.z, 1e-4f);
}

TEST_F(TorusTunnelModuleTest, TorusSizesItCannotDrawAreToldOnce) {
  testing::internal::CaptureStderr();
  ASSERT_TRUE(world.LoadTimeline("<timeline>" +
                                 Module("torustunnel", Param("outsegments", "long", "1000") +
                                                           Param("insegments", "long", "100")) +
                                 Module("clearscreen", "", 1) + "</timeline>"));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  world.timeline.Render(1.0f);
  EXPECT_EQ(
      "torustunnel: a torus of 1000 x 100 points has more than 65536 points, more than 16-bit "
      "indices can reach; nothing is drawn\n",
      testing::internal::GetCapturedStderr());
  EXPECT_TRUE(CallsOf(world, VEXIL_CALL_DRAWINDEXED).empty());
  EXPECT_EQ(2u, CallsOf(world, VEXIL_CALL_CLEAR).size()) << "the next module still plays";
}

TEST_F(TorusTunnelModuleTest, BufferFailuresLeaveItDrawingNothing) {
  for (VexilNullFailure failure :
       {VEXIL_FAIL_CREATEVERTEXBUFFER, VEXIL_FAIL_CREATEINDEXBUFFER, VEXIL_FAIL_LOCK}) {
    EffectWorld fresh(false);
    ASSERT_TRUE(fresh.ok());
    ASSERT_EQ(D3D_OK, VexilNullFailNext(fresh.device(), failure, 1));
    ASSERT_TRUE(fresh.LoadTimeline("<timeline>" + Module("torustunnel", "") + "</timeline>"));
    fresh.ClearCalls();
    fresh.timeline.Render(0.0f);
    EXPECT_TRUE(CallsOf(fresh, VEXIL_CALL_DRAWINDEXED).empty()) << "failure " << failure;
  }
}

TEST(TorusKnotModuleTest, PlaysOnTheTimelineWithoutDrawing) {
  EffectWorld world(false);
  ASSERT_TRUE(world.ok());
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>" + Module("clearscreen", Param("color", "color", "#FF102030")) +
      Module("torusknot", Param("p", "long", "2") + Param("q", "long", "5"), 1) + "</timeline>"));
  const DeviceStates before = StatesOf(world.device());
  world.ClearCalls();
  world.timeline.Render(0.0f);
  std::vector<VexilCallKind> kinds;
  for (const VexilRecordedCall& call : world.calls()) kinds.push_back(call.kind);
  EXPECT_EQ((std::vector<VexilCallKind>{VEXIL_CALL_CLEAR, VEXIL_CALL_PRESENT}), kinds);
  EXPECT_TRUE(before == StatesOf(world.device()));
}

}  // namespace

// "twister" without pixels: the arc table, the rings (twist, placement along the axis,
// normals, closing vertex) and their joining into strips, the settings it refuses, and on the
// null device the strips it draws and what it leaves set.
#include <gtest/gtest.h>

#include <cmath>

#include "effect_test_support.h"
#include "geometry/twister_tube.h"

namespace {

using effects::BuildArcTable;
using effects::BuildTwisterTube;
using effects::TwisterFrame;
using effects::VertexNormalColorTex;

// A unit square around the origin, counter-clockwise from (0.5, -0.5).
const std::vector<D3DXVECTOR2> kSquare = {
    {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}, {-0.5f, -0.5f}};

TwisterFrame Straight(int32_t segment) {
  TwisterFrame f{};
  f.segment = segment;
  f.axisStart = D3DXVECTOR3(0.0f, -2.0f, 0.0f);
  f.axisEnd = D3DXVECTOR3(0.0f, 2.0f, 0.0f);
  f.thickness = 1.0f;
  f.texWidthTiling = 1.0f;
  f.texHeightTiling = 1.0f;
  return f;
}

::testing::AssertionResult SameVector(const D3DXVECTOR3& expected, float x, float y, float z) {
  if (std::abs(expected.x - x) < 1e-5f && std::abs(expected.y - y) < 1e-5f &&
      std::abs(expected.z - z) < 1e-5f) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "expected (" << expected.x << ", " << expected.y << ", " << expected.z << "), got ("
         << x << ", " << y << ", " << z << ")";
}

TEST(TwisterArcTableTest, RunningLengthAroundTheClosedOutline) {
  std::vector<float> u;
  ASSERT_TRUE(BuildArcTable(kSquare, &u));
  EXPECT_EQ((std::vector<float>{0.0f, 0.25f, 0.5f, 0.75f, 1.0f}), u);
  // A 3-4-5 triangle: edges 3, 4 and the closing 5.
  ASSERT_TRUE(BuildArcTable({{0, 0}, {3, 0}, {3, 4}}, &u));
  ASSERT_EQ(4u, u.size());
  EXPECT_FLOAT_EQ(0.25f, u[1]);
  EXPECT_FLOAT_EQ(7.0f / 12.0f, u[2]);
  EXPECT_FLOAT_EQ(1.0f, u[3]);
}

TEST(TwisterArcTableTest, AnOutlineWithoutLengthHasNoTable) {
  std::vector<float> u = {1.0f};
  EXPECT_FALSE(BuildArcTable({}, &u));
  EXPECT_TRUE(u.empty());
  EXPECT_FALSE(BuildArcTable({{1, 2}}, &u)) << "one point: the closing edge is empty";
  EXPECT_FALSE(BuildArcTable({{1, 2}, {1, 2}, {1, 2}}, &u));
}

TEST(TwisterTubeTest, SettingsThatCannotBeBuilt) {
  EXPECT_EQ(nullptr, effects::TwisterTubeProblem(1, 1));
  EXPECT_EQ(nullptr, effects::TwisterTubeProblem(100, 32));
  EXPECT_NE(nullptr, effects::TwisterTubeProblem(0, 4));
  EXPECT_NE(nullptr, effects::TwisterTubeProblem(-5, 4));
  EXPECT_NE(nullptr, effects::TwisterTubeProblem(10, 0));
  // segment x (points + 1) x 2 vertices: 2^20 fits, one strip more does not.
  EXPECT_EQ(nullptr, effects::TwisterTubeProblem(1 << 15, 15));
  EXPECT_NE(nullptr, effects::TwisterTubeProblem((1 << 15) + 1, 15));
  EXPECT_NE(nullptr, effects::TwisterTubeProblem(2000000000, 2000000000)) << "no overflow";
}

TEST(TwisterTubeTest, UntwistedRingsMapOutlineXToXAndYToZAlongTheAxis) {
  std::vector<float> u;
  ASSERT_TRUE(BuildArcTable(kSquare, &u));
  std::vector<VertexNormalColorTex> pairs;
  BuildTwisterTube(Straight(3), kSquare, u, &pairs);
  ASSERT_EQ(4u * 5u * 2u, pairs.size());
  // The axis step is (end - start) / (segment + 1) = 1: rings at y -2, -1, 0, 1, the last
  // one step short of the axis end.
  for (int i = 0; i <= 3; ++i) {
    const VertexNormalColorTex& v = pairs[(i * 5 + 1) * 2];  // point 1 = (0.5, 0.5)
    EXPECT_TRUE(SameVector({0.5f, -2.0f + i, 0.5f}, v.x, v.y, v.z)) << "ring " << i;
    const float n = std::sqrt(0.5f);
    EXPECT_TRUE(SameVector({n, 0.0f, n}, v.nx, v.ny, v.nz)) << "normal from the centrum";
    EXPECT_EQ(0x00FFFFFFu, v.color) << "white with alpha 0";
    EXPECT_FLOAT_EQ(0.25f, v.u);
    EXPECT_FLOAT_EQ(i / 3.0f, v.v);
  }
}

TEST(TwisterTubeTest, RingsCloseAndJoinIntoStrips) {
  std::vector<float> u;
  ASSERT_TRUE(BuildArcTable(kSquare, &u));
  TwisterFrame f = Straight(2);
  f.texWidthTiling = 3.0f;
  f.texHeightTiling = 2.0f;
  f.startTwist = 0.1f;
  f.endTwist = 0.6f;
  std::vector<VertexNormalColorTex> pairs;
  BuildTwisterTube(f, kSquare, u, &pairs);
  const int stride = 5;
  for (int i = 0; i <= 2; ++i) {
    const VertexNormalColorTex& first = pairs[(i * stride) * 2];
    const VertexNormalColorTex& closing = pairs[(i * stride + 4) * 2];
    EXPECT_TRUE(SameVector({first.x, first.y, first.z}, closing.x, closing.y, closing.z));
    EXPECT_TRUE(SameVector({first.nx, first.ny, first.nz}, closing.nx, closing.ny, closing.nz));
    EXPECT_EQ(0.0f, first.u);
    EXPECT_EQ(3.0f, closing.u) << "the texture wraps once per texwidthtiling";
  }
  for (int k = 0; k < 2 * stride; ++k) {
    const VertexNormalColorTex& second = pairs[k * 2 + 1];
    const VertexNormalColorTex& next = pairs[(k + stride) * 2];
    EXPECT_TRUE(SameVector({next.x, next.y, next.z}, second.x, second.y, second.z)) << k;
    EXPECT_EQ(next.u, second.u);
    EXPECT_FLOAT_EQ(2.0f * (k / stride + 1) / 2.0f, second.v) << k;
  }
}

TEST(TwisterTubeTest, TwistTurnsEachRingAboutTheVertical) {
  std::vector<float> u;
  ASSERT_TRUE(BuildArcTable(kSquare, &u));
  TwisterFrame f = Straight(2);
  f.startTwist = 0.0f;
  f.endTwist = 0.25f;  // a quarter turn from the first ring to the last
  f.offset = 0.5f;
  f.centrum = D3DXVECTOR2(-0.5f, -0.5f);  // with the offset: the ring centre
  f.thickness = 2.0f;
  std::vector<VertexNormalColorTex> pairs;
  BuildTwisterTube(f, kSquare, u, &pairs);
  // Point 0 (0.5, -0.5) scaled by 2 and offset: ring space (1.5, -0.5). Ring 1 (t 0.5) is
  // turned by 45 degrees: (p, q) -> (p cos a - q sin a, p sin a + q cos a).
  const float c = std::sqrt(0.5f);
  const VertexNormalColorTex& middle = pairs[(1 * 5 + 0) * 2];
  // The axis step is 4 / 3: ring 1 at y -2 / 3, ring 2 at 2 / 3.
  EXPECT_TRUE(SameVector({1.5f * c + 0.5f * c, -2.0f / 3.0f, 1.5f * c - 0.5f * c}, middle.x,
                         middle.y, middle.z));
  // The last ring, a quarter turn: (p, q) -> (-q, p).
  const VertexNormalColorTex& last = pairs[(2 * 5 + 0) * 2];
  EXPECT_TRUE(SameVector({0.5f, 2.0f / 3.0f, 1.5f}, last.x, last.y, last.z));
  // The centrum (-0.5, -0.5) + offset is the ring centre: normals point straight out.
  const float len = std::sqrt(1.5f * 1.5f + 0.5f * 0.5f);
  EXPECT_TRUE(SameVector({0.5f / len, 0.0f, 1.5f / len}, last.nx, last.ny, last.nz));
}

TEST(TwisterTubeTest, APointOnTheCentrumHasAZeroNormal) {
  const std::vector<D3DXVECTOR2> outline = {{0, 0}, {1, 0}, {0, 1}};
  std::vector<float> u;
  ASSERT_TRUE(BuildArcTable(outline, &u));
  std::vector<VertexNormalColorTex> pairs;
  BuildTwisterTube(Straight(1), outline, u, &pairs);
  EXPECT_TRUE(SameVector({0, 0, 0}, pairs[0].nx, pairs[0].ny, pairs[0].nz));
}

class TwisterModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }

  // The square outline, written so that element 0 (the last key) is (0.5, -0.5).
  static std::string Square() {
    return "<param name=\"shape\" type=\"arrayvec2\"><key x=\"-0.5\" y=\"-0.5\"/>"
           "<key x=\"-0.5\" y=\"0.5\"/><key x=\"0.5\" y=\"0.5\"/><key x=\"0.5\" y=\"-0.5\"/>"
           "</param>";
  }
  static std::string Body(const std::string& keys) {
    return "<param name=\"body\" type=\"arrayvec3\">" + keys + "</param>";
  }
  static std::string Camera() {
    return "<param name=\"eyepoint\" type=\"vec3\" x=\"0\" y=\"0\" z=\"-8\"/>";
  }

  // The vertices the module last uploaded.
  std::vector<VertexNormalColorTex> Uploaded() {
    std::vector<VertexNormalColorTex> vertices;
    IDirect3DVertexBuffer9* buffer = nullptr;
    UINT offset = 0, stride = 0;
    world.device()->GetStreamSource(0, &buffer, &offset, &stride);
    if (!buffer) return vertices;
    D3DVERTEXBUFFER_DESC desc;
    buffer->GetDesc(&desc);
    void* data = nullptr;
    if (SUCCEEDED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY))) {
      const auto* v = static_cast<const VertexNormalColorTex*>(data);
      vertices.assign(v, v + desc.Size / sizeof(VertexNormalColorTex));
      buffer->Unlock();
    }
    buffer->Release();
    return vertices;
  }

  EffectWorld world{false};
};

TEST_F(TwisterModuleTest, DrawsOneStripPerSegmentAndLeavesLightMaterialAndCameraSet) {
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>" +
      Module("twister", Square() + Param("segment", "long", "3") + Camera() +
                            Body("<key x=\"0\" y=\"-3\" z=\"0\"/><key x=\"0\" y=\"3\" z=\"0\"/>") +
                            Param("mapping", "long", "1") + Param("specular", "long", "1")) +
      "</timeline>"));
  IDirect3DDevice9* device = world.device();
  const DeviceStates before = StatesOf(device);
  world.ClearCalls();
  world.timeline.Render(0.0f);

  const auto clears = CallsOf(world, VEXIL_CALL_CLEAR);
  ASSERT_EQ(1u, clears.size());
  EXPECT_EQ(static_cast<DWORD>(D3DCLEAR_ZBUFFER), clears[0].clearFlags);
  const auto draws = CallsOf(world, VEXIL_CALL_DRAW);
  ASSERT_EQ(3u, draws.size());
  for (UINT k = 0; k < 3; ++k) {
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, draws[k].primitiveType);
    EXPECT_EQ(k * 5 * 2, draws[k].startVertex);
    EXPECT_EQ(8u, draws[k].primitiveCount);
    EXPECT_EQ(0x152u, draws[k].fvf);
    EXPECT_EQ(36u, draws[k].stride);
  }

  EXPECT_TRUE(before == StatesOf(device)) << "sphere map, specular, lighting: all handed back";
  D3DLIGHT9 light;
  ASSERT_EQ(D3D_OK, device->GetLight(0, &light));
  BOOL enabled = FALSE;
  device->GetLightEnable(0, &enabled);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(D3DLIGHT_DIRECTIONAL, light.Type);
  EXPECT_NEAR(std::sqrt(0.5f), light.Direction.x, 1e-6f);
  EXPECT_NEAR(-std::sqrt(0.5f), light.Direction.z, 1e-6f);
  D3DMATERIAL9 material;
  device->GetMaterial(&material);
  EXPECT_EQ(0.2f, material.Ambient.r);
  EXPECT_EQ(20.0f, material.Power);
  // The 4:3 projection stays for later modules; the view looks from (0, 0, -8) with up
  // (0, 1, 1).
  D3DXMATRIX projection, view;
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 1.0f, 100.0f);
  EXPECT_TRUE(TransformOf(device, D3DTS_PROJECTION) == projection);
  const D3DXVECTOR3 eye(0, 0, -8), at(0, 0, 0), up(0, 1, 1);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  EXPECT_TRUE(TransformOf(device, D3DTS_VIEW) == view);
  IDirect3DBaseTexture9* bound = nullptr;
  device->GetTexture(0, &bound);
  EXPECT_EQ(nullptr, bound);

  // Three strips of the axis from body[0] (the last key, y 3) down to y -3 in steps of 1.5:
  // rings at 3, 1.5, 0, -1.5.
  const auto vertices = Uploaded();
  ASSERT_EQ(3u * 5u * 2u, vertices.size());
  EXPECT_FLOAT_EQ(3.0f, vertices[0].y);
  EXPECT_FLOAT_EQ(1.5f, vertices[1].y);
  EXPECT_FLOAT_EQ(-1.5f, vertices[2 * 10 + 1].y) << "the last ring, one step short of -3";
  EXPECT_FLOAT_EQ(0.5f, vertices[0].x) << "shape element 0 is the last key";
  EXPECT_FLOAT_EQ(-0.5f, vertices[0].z);
}

TEST_F(TwisterModuleTest, ASingleBodyPointRunsTheAxisTowardTheOrigin) {
  ASSERT_TRUE(
      world.LoadTimeline("<timeline>" +
                         Module("twister", Square() + Param("segment", "long", "1") + Camera() +
                                               Body("<key x=\"0\" y=\"4\" z=\"2\"/>")) +
                         "</timeline>"));
  world.timeline.Render(0.0f);
  const auto vertices = Uploaded();
  ASSERT_EQ(10u, vertices.size());
  // One strip between ring 0 at body[0] and ring 1 at body[0] + (origin - body[0]) / 2.
  EXPECT_TRUE(SameVector({0.5f, 4.0f, 2.0f - 0.5f}, vertices[0].x, vertices[0].y, vertices[0].z));
  EXPECT_TRUE(SameVector({0.5f, 2.0f, 1.0f - 0.5f}, vertices[1].x, vertices[1].y, vertices[1].z));
}

TEST_F(TwisterModuleTest, SettingsItCannotDrawAreToldOnceAndTheDemoGoesOn) {
  struct Case {
    std::string params;
    const char* told;
  };
  const Case cases[] = {
      {Square(),
       "twister: a tube of 0 segments around 4 points needs \"segment\" of at least 1; "
       "nothing is drawn\n"},
      {Param("segment", "long", "4"),
       "twister: a tube of 4 segments around 0 points needs a \"shape\" with points; nothing is "
       "drawn\n"},
      {Param("segment", "long", "4") +
           "<param name=\"shape\" type=\"arrayvec2\"><key x=\"1\" y=\"1\"/><key x=\"1\" "
           "y=\"1\"/></param>",
       "twister: a \"shape\" without length around it cannot be mapped; nothing is drawn\n"},
      {Square() + Param("segment", "long", "2000000000"),
       "twister: a tube of 2000000000 segments around 4 points would need more than 1048576 "
       "vertices; nothing is drawn\n"},
  };
  for (const Case& c : cases) {
    EffectWorld fresh(false);
    ASSERT_TRUE(fresh.ok());
    testing::internal::CaptureStderr();
    ASSERT_TRUE(fresh.LoadTimeline("<timeline>" + Module("twister", c.params + Camera()) +
                                   Module("clearscreen", "", 1) + "</timeline>"));
    fresh.ClearCalls();
    fresh.timeline.Render(0.0f);
    fresh.timeline.Render(1.0f);
    EXPECT_EQ(c.told, testing::internal::GetCapturedStderr());
    EXPECT_TRUE(CallsOf(fresh, VEXIL_CALL_DRAW).empty());
    EXPECT_EQ(2u, CallsOf(fresh, VEXIL_CALL_CLEAR).size()) << "only the clearscreen clears";
  }
}

TEST_F(TwisterModuleTest, AFailedLockDrawsNothingThatFrameAndChangesNoState) {
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>" + Module("twister", Square() + Param("segment", "long", "2") + Camera()) +
      "</timeline>"));
  const DeviceStates before = StatesOf(world.device());
  D3DXMATRIX projection;
  D3DXMatrixScaling(&projection, 2, 2, 2);
  world.device()->SetTransform(D3DTS_PROJECTION, &projection);
  ASSERT_EQ(D3D_OK, VexilNullFailNext(world.device(), VEXIL_FAIL_LOCK, 1));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  EXPECT_TRUE(CallsOf(world, VEXIL_CALL_DRAW).empty());
  EXPECT_TRUE(before == StatesOf(world.device()));
  EXPECT_TRUE(TransformOf(world.device(), D3DTS_PROJECTION) == projection);
  world.timeline.Render(1.0f);
  EXPECT_EQ(2u, CallsOf(world, VEXIL_CALL_DRAW).size()) << "the next frame draws again";
}

}  // namespace

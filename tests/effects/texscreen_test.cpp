// "texscreen" without pixels: the grid builder's points, triangles, bend, texture window and
// opacity, the counts it refuses, and on the null device the indexed draw with the view and
// projection handed back and the turn left set.
#include <gtest/gtest.h>

#include <algorithm>

#include "effect_test_support.h"
#include "geometry/texscreen_grid.h"

namespace {

using effects::BuildTexScreenGrid;
using effects::TexScreenGridSettings;
using effects::Triangle16;
using effects::VertexColorTex;

TexScreenGridSettings Defaults() {
  return {30, 30, 0.0f, 0.03f, 0.03f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
}

bool Same(const Triangle16& t, uint16_t a, uint16_t b, uint16_t c) {
  return t.a == a && t.b == b && t.c == c;
}

TEST(TexScreenGridTest, TwoByTwoIsOneQuadOfTwoTriangles) {
  TexScreenGridSettings s = Defaults();
  s.xNum = s.yNum = 2;
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTexScreenGrid(s, &vertices, &triangles);
  ASSERT_EQ(4u, vertices.size());
  ASSERT_EQ(2u, triangles.size());
  EXPECT_TRUE(Same(triangles[0], 2, 3, 1));
  EXPECT_TRUE(Same(triangles[1], 1, 0, 2));
  // Bottom row first: point 0 is at the bottom left (one step to the negative side).
  EXPECT_FLOAT_EQ(-0.03f, vertices[0].x);
  EXPECT_FLOAT_EQ(-0.03f, vertices[0].y);
  EXPECT_FLOAT_EQ(0.0f, vertices[3].x);
  EXPECT_FLOAT_EQ(0.0f, vertices[3].y);
}

TEST(TexScreenGridTest, DefaultGridSpansItsStepsWithTheTextureUpsideDown) {
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTexScreenGrid(Defaults(), &vertices, &triangles);
  ASSERT_EQ(900u, vertices.size());
  ASSERT_EQ(1682u, triangles.size());
  const auto [minX, maxX] = std::minmax_element(vertices.begin(), vertices.end(),
                                                [](auto& a, auto& b) { return a.x < b.x; });
  const auto [minY, maxY] = std::minmax_element(vertices.begin(), vertices.end(),
                                                [](auto& a, auto& b) { return a.y < b.y; });
  EXPECT_NEAR(-0.45f, minX->x, 1e-6f);
  EXPECT_NEAR(0.42f, maxX->x, 1e-6f);
  EXPECT_NEAR(-0.45f, minY->y, 1e-6f);
  EXPECT_NEAR(0.42f, maxY->y, 1e-6f);
  for (const VertexColorTex& v : vertices) {
    ASSERT_EQ(0.0f, v.z) << "flat without a bend";
    ASSERT_EQ(0xFFFFFFFFu, v.color);
  }
  // The lowest row carries v 0 (the texture's top), the highest v 1: upside down.
  EXPECT_FLOAT_EQ(0.0f, vertices[0].u);
  EXPECT_FLOAT_EQ(0.0f, vertices[0].v);
  EXPECT_NEAR(1.0f, vertices[899].u, 1e-6f);
  EXPECT_NEAR(1.0f, vertices[899].v, 1e-6f);
  for (const Triangle16& t : triangles) {
    ASSERT_LT(std::max({t.a, t.b, t.c}), 900) << "every index names a point";
  }
}

TEST(TexScreenGridTest, BendWindowAndOpacity) {
  TexScreenGridSettings s = Defaults();
  s.bendFactor = 100.0f;
  s.z = 0.5f;
  s.alpha = 0.5f;
  s.uStart = 0.25f;
  s.uEnd = 0.75f;
  s.vStart = 1.0f;
  s.vEnd = 0.0f;
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTexScreenGrid(s, &vertices, &triangles);
  // Corner (i, j) = (-15, -15): z = 0.5 - 0.01 * 450, toward and past the camera at -2.
  EXPECT_NEAR(0.5f - 4.5f, vertices[0].z, 1e-5f);
  // Centre (0, 0) is point 15 * 30 + 15 and keeps the centre depth.
  EXPECT_FLOAT_EQ(0.5f, vertices[15 * 30 + 15].z);
  EXPECT_EQ(128u, vertices[0].color >> 24);
  EXPECT_FLOAT_EQ(0.25f, vertices[0].u);
  EXPECT_FLOAT_EQ(1.0f, vertices[0].v) << "vstart 1 / vend 0 shows it upright";
  EXPECT_NEAR(0.75f, vertices[899].u, 1e-6f);
  EXPECT_NEAR(0.0f, vertices[899].v, 1e-6f);
}

TEST(TexScreenGridTest, CountsThatCannotBeDrawnBuildNothing) {
  struct Case {
    int32_t x, y;
    bool drawable;
  };
  const Case cases[] = {{2, 2, true},      {1, 30, false},    {30, 1, false},
                        {0, 0, false},     {-4, 30, false},   {256, 256, true},
                        {257, 256, false}, {65536, 1, false}, {1000000000, 1000000000, false},
                        {2, 32768, true},  {3, 32768, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.drawable, effects::TexScreenGridProblem(c.x, c.y) == nullptr)
        << c.x << " x " << c.y;
    TexScreenGridSettings s = Defaults();
    s.xNum = c.x;
    s.yNum = c.y;
    std::vector<VertexColorTex> vertices(3);
    std::vector<Triangle16> triangles(3);
    if (!c.drawable) {
      BuildTexScreenGrid(s, &vertices, &triangles);
      EXPECT_TRUE(vertices.empty() && triangles.empty()) << c.x << " x " << c.y;
    }
  }
  // The largest grid still reaches its last point with 16-bit indices.
  TexScreenGridSettings s = Defaults();
  s.xNum = s.yNum = 256;
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTexScreenGrid(s, &vertices, &triangles);
  uint16_t highest = 0;
  for (const Triangle16& t : triangles) highest = std::max({highest, t.a, t.b, t.c});
  EXPECT_EQ(65535, highest);
}

TEST(TexScreenGridTest, RebuildingKeepsTheArraysStorage) {
  std::vector<VertexColorTex> vertices;
  std::vector<Triangle16> triangles;
  BuildTexScreenGrid(Defaults(), &vertices, &triangles);
  const VertexColorTex* vertexStorage = vertices.data();
  const Triangle16* triangleStorage = triangles.data();
  TexScreenGridSettings s = Defaults();
  s.bendFactor = 3.0f;
  BuildTexScreenGrid(s, &vertices, &triangles);
  EXPECT_EQ(vertexStorage, vertices.data());
  EXPECT_EQ(triangleStorage, triangles.data());
}

class TexScreenModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.ok()) << world.error();
    ASSERT_TRUE(world.LoadResources("<resources><t type=\"texture\" name=\"rt\">" +
                                    Param("type", "long", "1") + Param("width", "long", "64") +
                                    Param("height", "long", "64") + "</t></resources>"));
  }

  EffectWorld world{false};
};

TEST_F(TexScreenModuleTest, DrawsTheGridAndHandsViewAndProjectionBack) {
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>" +
      Module("texscreen", Param("texture", "string", "RT") + Param("zrot", "float", "90")) +
      "</timeline>"));
  IDirect3DDevice9* device = world.device();
  D3DXMATRIX projection, view;
  D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.5f, 0.5f, 50.0f);
  D3DXMatrixTranslation(&view, 1.0f, 2.0f, 3.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->SetTransform(D3DTS_VIEW, &view);
  const DeviceStates before = StatesOf(device);
  world.ClearCalls();
  world.timeline.Render(0.0f);

  const auto draws = CallsOf(world, VEXIL_CALL_DRAWINDEXED);
  ASSERT_EQ(1u, draws.size());
  EXPECT_EQ(D3DPT_TRIANGLELIST, draws[0].primitiveType);
  EXPECT_EQ(1682u, draws[0].primitiveCount);
  EXPECT_EQ(900u, draws[0].numVertices);
  EXPECT_EQ(0u, draws[0].startIndex);
  EXPECT_EQ(0, draws[0].baseVertexIndex);
  EXPECT_EQ(0x142u, draws[0].fvf);
  EXPECT_EQ(world.textures.GetTexture("rt"), draws[0].texture0);

  EXPECT_TRUE(before == StatesOf(device)) << "every state is handed back";
  EXPECT_TRUE(TransformOf(device, D3DTS_PROJECTION) == projection);
  EXPECT_TRUE(TransformOf(device, D3DTS_VIEW) == view);
  // The turn stays set: a quarter turn takes x to y, counter-clockwise on screen.
  const D3DXMATRIX turn = TransformOf(device, D3DTS_WORLD);
  D3DXVECTOR3 right(1, 0, 0), turned;
  D3DXVec3TransformCoord(&turned, &right, &turn);
  EXPECT_NEAR(0.0f, turned.x, 1e-5f);
  EXPECT_NEAR(1.0f, turned.y, 1e-5f);
  IDirect3DBaseTexture9* bound = nullptr;
  device->GetTexture(0, &bound);
  EXPECT_EQ(nullptr, bound);
}

TEST_F(TexScreenModuleTest, GridCountsStayThoseOfInit) {
  // "xnum" keyframed from 10 to 40 over the span: the buffers were made for 10 x 5.
  ASSERT_TRUE(world.LoadTimeline("<timeline>" +
                                 Module("texscreen",
                                        "<param name=\"xnum\" type=\"linearlong\"><key time=\"0\" "
                                        "value=\"10\"/><key time=\"1000\" value=\"40\"/></param>" +
                                            Param("ynum", "long", "5")) +
                                 "</timeline>"));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  world.timeline.Render(900.0f);
  const auto draws = CallsOf(world, VEXIL_CALL_DRAWINDEXED);
  ASSERT_EQ(2u, draws.size());
  for (const VexilRecordedCall& draw : draws) {
    EXPECT_EQ(50u, draw.numVertices);
    EXPECT_EQ(9u * 4u * 2u, draw.primitiveCount);
  }
}

TEST_F(TexScreenModuleTest, UndrawableGridsAreToldOnceAndTheDemoGoesOn) {
  struct Case {
    const char* x;
    const char* y;
    const char* told;
  };
  const Case cases[] = {
      {"1", "30",
       "texscreen: a grid of 1 x 30 points needs at least 2 grid points across and "
       "up; nothing is drawn\n"},
      {"300", "300",
       "texscreen: a grid of 300 x 300 points has more than 65536 grid points, "
       "more than 16-bit indices can reach; nothing is drawn\n"}};
  for (const Case& c : cases) {
    EffectWorld fresh(false);
    ASSERT_TRUE(fresh.ok());
    testing::internal::CaptureStderr();
    ASSERT_TRUE(fresh.LoadTimeline(
        "<timeline>" +
        Module("texscreen", Param("xnum", "long", c.x) + Param("ynum", "long", c.y)) +
        Module("clearscreen", "", 1) + "</timeline>"));
    fresh.ClearCalls();
    fresh.timeline.Render(0.0f);
    fresh.timeline.Render(1.0f);
    EXPECT_EQ(c.told, testing::internal::GetCapturedStderr());
    EXPECT_TRUE(CallsOf(fresh, VEXIL_CALL_DRAWINDEXED).empty());
    EXPECT_EQ(2u, CallsOf(fresh, VEXIL_CALL_CLEAR).size()) << "the next module still plays";
  }
}

TEST_F(TexScreenModuleTest, BufferFailuresLeaveItDrawingNothing) {
  for (VexilNullFailure failure :
       {VEXIL_FAIL_CREATEVERTEXBUFFER, VEXIL_FAIL_CREATEINDEXBUFFER, VEXIL_FAIL_LOCK}) {
    EffectWorld fresh(false);
    ASSERT_TRUE(fresh.ok());
    ASSERT_EQ(D3D_OK, VexilNullFailNext(fresh.device(), failure, 1));
    ASSERT_TRUE(fresh.LoadTimeline("<timeline>" + Module("texscreen", "") + "</timeline>"));
    fresh.ClearCalls();
    fresh.timeline.Render(0.0f);
    EXPECT_TRUE(CallsOf(fresh, VEXIL_CALL_DRAWINDEXED).empty()) << "failure " << failure;
  }
}

}  // namespace

// "kluttviewer" without a device: the size factor and the world matrix; then the module on
// the null device with a generated cube: a draw per material, the light, the states it
// hands on, and names that give no mesh.
#include <gtest/gtest.h>

#include <cmath>

#include "effect_test_support.h"
#include "geometry/mesh_placement.h"
#include "modules/kluttviewer_module.h"
#include "support/run_program.h"

namespace {

using effects::MeshPlacement;

void ExpectMatrixNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual) {
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(expected.m[r][c], actual.m[r][c], 1e-5f) << r << c;
  }
}

TEST(MeshSizeFactorTest, LargestMaximumOf12AndAHalfGivesTwo) {
  EXPECT_FLOAT_EQ(
      2.0f, effects::MeshSizeFactor(D3DXVECTOR3(-30, -30, -30), D3DXVECTOR3(12.5f, 3.0f, -1.0f)));
  EXPECT_FLOAT_EQ(0.5f, effects::MeshSizeFactor(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 50, 2)));
}

TEST(MeshSizeFactorTest, BoxesWithoutAPositiveMaximumStayFiniteAndPositive) {
  // Wholly on the negative side: the largest absolute coordinate stands in.
  EXPECT_FLOAT_EQ(2.5f, effects::MeshSizeFactor(D3DXVECTOR3(-10, -4, -2), D3DXVECTOR3(-1, -1, -1)));
  EXPECT_FLOAT_EQ(1.0f, effects::MeshSizeFactor(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0)));
  EXPECT_FLOAT_EQ(1.0f,
                  effects::MeshSizeFactor(D3DXVECTOR3(NAN, 0, 0), D3DXVECTOR3(NAN, NAN, NAN)));
}

TEST(MeshWorldMatrixTest, PivotScaleTurnStretchThenPosition) {
  MeshPlacement p;
  p.pivot = D3DXVECTOR3(1, 0, 0);
  p.scale = D3DXVECTOR3(2, 3, 4);
  p.yaw = 1.5707964f;  // a quarter turn about y: +x goes to -z
  p.stretch = D3DXVECTOR3(1, 1, 10);
  p.position = D3DXVECTOR3(0, 5, 0);
  const D3DXMATRIX world = effects::MeshWorldMatrix(2.0f, p);
  // The origin: pivot (1, 0, 0), scaled by k x 2 = 4 to (4, 0, 0), turned to (0, 0, -4),
  // stretched to (0, 0, -40), moved to (0, 5, -40).
  D3DXVECTOR3 origin(0, 0, 0), out;
  D3DXVec3TransformCoord(&out, &origin, &world);
  EXPECT_NEAR(0.0f, out.x, 1e-4f);
  EXPECT_NEAR(5.0f, out.y, 1e-4f);
  EXPECT_NEAR(-40.0f, out.z, 1e-4f);

  D3DXMATRIX pivot, scale, rotation, stretch, move, expected;
  D3DXMatrixTranslation(&pivot, 1, 0, 0);
  D3DXMatrixScaling(&scale, 4, 6, 8);
  D3DXMatrixRotationYawPitchRoll(&rotation, p.yaw, 0, 0);
  D3DXMatrixScaling(&stretch, 1, 1, 10);
  D3DXMatrixTranslation(&move, 0, 5, 0);
  expected = pivot * scale * rotation * stretch * move;
  ExpectMatrixNear(expected, world);
}

TEST(MeshWorldMatrixTest, UniformScaleAndStretchReplaceThePerAxisOnes) {
  MeshPlacement p;
  p.scale = D3DXVECTOR3(2, 3, 4);
  p.stretch = D3DXVECTOR3(5, 6, 7);
  p.uniformScale = 0.5f;
  p.uniformStretch = 3.0f;
  D3DXMATRIX expected;
  D3DXMatrixScaling(&expected, 2.0f * 0.5f * 3.0f, 2.0f * 0.5f * 3.0f, 2.0f * 0.5f * 3.0f);
  ExpectMatrixNear(expected, effects::MeshWorldMatrix(2.0f, p));
  p.uniformScale = 0.0f;
  p.uniformStretch = 0.0f;
  D3DXMatrixScaling(&expected, 2.0f * 2 * 5, 2.0f * 3 * 6, 2.0f * 4 * 7);
  ExpectMatrixNear(expected, effects::MeshWorldMatrix(2.0f, p));  // 0 means per axis
}

class KluttViewerModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.ok()) << world.error();
    ASSERT_EQ(0, vexil::test::RunProgram(
                     vexil::test::BuiltProgram("vexil-xmeshgen"),
                     {dir.File("cube.x"), "--half-size", "12.5", "--texture", "pic.png"})
                     .status);
    ASSERT_TRUE(WritePng(dir.File("pic.png"), 8, 8, [](int, int) { return 0xFF808080u; }));
    ASSERT_TRUE(world.LoadResources(
        "<resources><k type=\"klutt\" name=\"cube\">"
        "<param name=\"filename\" type=\"string\" value=\"cube.x\"/></k>"
        "<t type=\"texture\" name=\"pic\">"
        "<param name=\"filename\" type=\"string\" value=\"pic.png\"/></t></resources>"));
  }

  static std::string Viewer(const std::string& params) {
    return "<timeline><m type=\"kluttviewer\" start=\"0\" end=\"1000\">" + params +
           "</m></timeline>";
  }

  ScratchDir dir{ScratchDir::kEnter};
  EffectWorld world{false};
};

TEST_F(KluttViewerModuleTest, EachMaterialDrawsItsSubsetWithItsTexture) {
  ASSERT_TRUE(world.LoadTimeline(
      Viewer("<param name=\"mesh\" type=\"string\" value=\"CUBE\"/>"
             "<param name=\"lightcolor\" type=\"color\" value=\"#00FF8000\"/>")));
  const auto* viewer = dynamic_cast<effects::CKluttViewerModule*>(world.timeline.GetModule(0));
  ASSERT_NE(nullptr, viewer);
  EXPECT_FLOAT_EQ(2.0f, viewer->GetSizeFactor()) << "a cube reaching 12.5";
  world.ClearCalls();
  world.timeline.Render(0.0f);

  const auto draws = CallsOf(world, VEXIL_CALL_DRAWINDEXED);
  ASSERT_EQ(2u, draws.size()) << "two materials, three faces each";
  EXPECT_EQ(6u, draws[0].primitiveCount);
  EXPECT_NE(nullptr, draws[0].texture0) << "material 0 names a texture";
  EXPECT_EQ(nullptr, draws[1].texture0);

  D3DLIGHT9 light{};
  ASSERT_EQ(D3D_OK, world.device()->GetLight(0, &light));
  EXPECT_EQ(D3DLIGHT_DIRECTIONAL, light.Type);
  EXPECT_FLOAT_EQ(255.0f / 256.0f, light.Diffuse.r) << "bytes divided by 256";
  EXPECT_FLOAT_EQ(128.0f / 256.0f, light.Diffuse.g);
  EXPECT_FLOAT_EQ(0.0f, light.Diffuse.b);
  EXPECT_FLOAT_EQ(-1.0f, light.Direction.z) << "towards the camera";
  BOOL enabled = TRUE;
  world.device()->GetLightEnable(0, &enabled);
  EXPECT_FALSE(enabled) << "switched off after drawing";
}

TEST_F(KluttViewerModuleTest, WireframeAndTheSphereMapOutliveTheModule) {
  ASSERT_TRUE(
      world.LoadTimeline(Viewer("<param name=\"mesh\" type=\"string\" value=\"cube\"/>"
                                "<param name=\"fillmode\" type=\"long\" value=\"1\"/>"
                                "<param name=\"mapping\" type=\"long\" value=\"1\"/>"
                                "<param name=\"culling\" type=\"long\" value=\"7\"/>")));
  world.device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  world.device()->SetRenderState(D3DRS_LIGHTING, FALSE);
  world.timeline.Render(0.0f);
  EXPECT_EQ(static_cast<DWORD>(D3DFILL_WIREFRAME), RenderStateOf(world.device(), D3DRS_FILLMODE));
  EXPECT_EQ(static_cast<DWORD>(TRUE), RenderStateOf(world.device(), D3DRS_NORMALIZENORMALS));
  DWORD index = 0;
  world.device()->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &index);
  EXPECT_EQ(static_cast<DWORD>(D3DTSS_TCI_SPHEREMAP), index);
  EXPECT_EQ(static_cast<DWORD>(TRUE), RenderStateOf(world.device(), D3DRS_LIGHTING))
      << "its first setting";
  EXPECT_EQ(static_cast<DWORD>(D3DCULL_CW), RenderStateOf(world.device(), D3DRS_CULLMODE))
      << "culling 7 leaves the culling alone";
}

TEST_F(KluttViewerModuleTest, NamesThatGiveNoMeshDrawNothing) {
  // No such resource, a texture resource, and no name at all: one second each.
  std::string timeline = "<timeline>";
  int second = 0;
  for (const char* name : {"nothing", "pic", ""}) {
    timeline += "<m type=\"kluttviewer\" start=\"" + std::to_string(second * 1000) + "\" end=\"" +
                std::to_string(second * 1000 + 999) + "\">" +
                "<param name=\"mesh\" type=\"string\" value=\"" + name + "\"/></m>";
    ++second;
  }
  ASSERT_TRUE(world.LoadTimeline(timeline + "</timeline>"));
  for (float t : {500.0f, 1500.0f, 2500.0f}) {
    world.ClearCalls();
    world.timeline.Render(t);
    EXPECT_TRUE(CallsOf(world, VEXIL_CALL_DRAWINDEXED).empty()) << "at " << t << " ms";
  }
}

}  // namespace

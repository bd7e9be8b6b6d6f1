// "clearscreen" and "showimage" on the null device: the calls they make, the states they
// hand on unchanged, the transforms they save and restore, and their failure paths.
#include <gtest/gtest.h>

#include <string>

#include "d3dx9/d3dx9.h"
#include "effect_world.h"
#include "vertex_formats.h"

namespace {

class ScreenModulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.ok()) << world.error();
    // A 64 x 32 picture: sizes that are powers of two stay as they are.
    ASSERT_TRUE(WritePng(dir.File("pic.png"), 64, 32, [](int, int) { return 0xFF808080u; }));
    ASSERT_TRUE(world.LoadResources(
        "<resources><texture type=\"texture\" name=\"pic\">"
        "<param name=\"filename\" type=\"string\" value=\"pic.png\"/></texture></resources>"));
    ASSERT_NE(nullptr, world.textures.GetTexture("pic"));
  }

  std::vector<VexilRecordedCall> CallsOf(VexilCallKind kind) const {
    std::vector<VexilRecordedCall> found;
    for (const VexilRecordedCall& call : world.calls()) {
      if (call.kind == kind) found.push_back(call);
    }
    return found;
  }

  DWORD RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    world.device()->GetRenderState(state, &value);
    return value;
  }

  // The alpha byte of every vertex of the buffer last set on stream 0.
  std::vector<uint32_t> StreamAlphas() {
    IDirect3DVertexBuffer9* buffer = nullptr;
    UINT offset = 0, stride = 0;
    world.device()->GetStreamSource(0, &buffer, &offset, &stride);
    std::vector<uint32_t> alphas;
    if (!buffer) return alphas;
    void* data = nullptr;
    if (SUCCEEDED(buffer->Lock(0, 0, &data, D3DLOCK_READONLY))) {
      const auto* vertices = static_cast<const effects::VertexColorTex*>(data);
      for (int i = 0; i < 4; ++i) alphas.push_back(vertices[i].color >> 24);
      buffer->Unlock();
    }
    buffer->Release();
    return alphas;
  }

  static std::string ShowImage(const std::string& params) {
    return "<timeline><m type=\"showimage\" start=\"0\" end=\"1000\">"
           "<param name=\"texture\" type=\"string\" value=\"PIC\"/>" +
           params + "</m></timeline>";
  }

  ScratchDir dir{ScratchDir::kEnter};
  EffectWorld world{false};
};

TEST_F(ScreenModulesTest, ClearScreenClearsColourAndDepthUnlessToldNot) {
  ASSERT_TRUE(
      world.LoadTimeline("<timeline>"
                         "<m type=\"clearscreen\" start=\"0\" end=\"100\">"
                         "<param name=\"color\" type=\"color\" value=\"#FF102030\"/></m>"
                         "<m type=\"clearscreen\" start=\"0\" end=\"100\" layer=\"1\">"
                         "<param name=\"nozbuffer\" type=\"long\" value=\"1\"/></m>"
                         "</timeline>"));
  world.ClearCalls();
  world.timeline.Render(50.0f);

  const auto clears = CallsOf(VEXIL_CALL_CLEAR);
  ASSERT_EQ(2u, clears.size());
  EXPECT_EQ(static_cast<DWORD>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), clears[0].clearFlags);
  EXPECT_EQ(0xFF102030u, clears[0].clearColor);
  EXPECT_EQ(1.0f, clears[0].clearZ);
  EXPECT_EQ(0u, clears[0].clearStencil);
  EXPECT_EQ(0u, clears[0].rectCount);
  EXPECT_EQ(static_cast<DWORD>(D3DCLEAR_TARGET), clears[1].clearFlags) << "nozbuffer 1 keeps depth";
  EXPECT_EQ(0u, clears[1].clearColor);
  EXPECT_TRUE(CallsOf(VEXIL_CALL_BEGINSCENE).empty()) << "clearing opens no scene";
}

TEST_F(ScreenModulesTest, ShowImageDrawsOneStripAndHandsStatesAndProjectionBack) {
  ASSERT_TRUE(
      world.LoadTimeline(ShowImage("<param name=\"x\" type=\"float\" value=\"10\"/>"
                                   "<param name=\"y\" type=\"float\" value=\"20\"/>"
                                   "<param name=\"angle\" type=\"float\" value=\"90\"/>"
                                   "<param name=\"alpha\" type=\"float\" value=\"0.5\"/>"
                                   "<param name=\"blending\" type=\"long\" value=\"1\"/>")));
  IDirect3DDevice9* device = world.device();
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.5f, 0.5f, 50.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  DWORD stageColorArg2 = 0, magFilter = 0;
  device->GetTextureStageState(0, D3DTSS_COLORARG2, &stageColorArg2);
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &magFilter);
  world.ClearCalls();

  world.timeline.Render(10.0f);

  const auto draws = CallsOf(VEXIL_CALL_DRAW);
  ASSERT_EQ(1u, draws.size());
  EXPECT_EQ(D3DPT_TRIANGLESTRIP, draws[0].primitiveType);
  EXPECT_EQ(2u, draws[0].primitiveCount);
  EXPECT_EQ(0u, draws[0].startVertex);
  EXPECT_EQ(0x142u, draws[0].fvf);
  EXPECT_EQ(24u, draws[0].stride);
  EXPECT_EQ(world.textures.GetTexture("pic"), draws[0].texture0);
  EXPECT_EQ(1u, CallsOf(VEXIL_CALL_BEGINSCENE).size());
  EXPECT_EQ(1u, CallsOf(VEXIL_CALL_ENDSCENE).size());

  EXPECT_EQ(static_cast<DWORD>(D3DBLEND_SRCCOLOR), RenderState(D3DRS_DESTBLEND));
  EXPECT_EQ(static_cast<DWORD>(TRUE), RenderState(D3DRS_LIGHTING));
  EXPECT_EQ(static_cast<DWORD>(FALSE), RenderState(D3DRS_ALPHABLENDENABLE));
  DWORD value = 0;
  device->GetTextureStageState(0, D3DTSS_COLORARG2, &value);
  EXPECT_EQ(stageColorArg2, value);
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
  EXPECT_EQ(magFilter, value);

  D3DXMATRIX after;
  device->GetTransform(D3DTS_PROJECTION, &after);
  EXPECT_TRUE(after == projection) << "the projection is restored";

  // The view and world stay set: the quad's corner (0.5, 0.5) is turned a quarter turn to
  // (-0.5, 0.5), stretched to the 64 x 32 picture (-32, 16) and moved by (10, 20).
  D3DXMATRIX view, worldMatrix;
  device->GetTransform(D3DTS_VIEW, &view);
  device->GetTransform(D3DTS_WORLD, &worldMatrix);
  D3DXVECTOR3 corner(0.5f, 0.5f, 0.0f), placed;
  D3DXVec3TransformCoord(&placed, &corner, &worldMatrix);
  EXPECT_NEAR(-22.0f, placed.x, 1e-3f);
  EXPECT_NEAR(36.0f, placed.y, 1e-3f);
  D3DXVECTOR3 eyeSpace;
  D3DXVec3TransformCoord(&eyeSpace, &placed, &view);
  EXPECT_NEAR(2.4f, eyeSpace.z, 1e-5f) << "the eye stands 2.4 in front of the picture";

  EXPECT_EQ((std::vector<uint32_t>{128, 128, 128, 128}), StreamAlphas());
}

class ShowImageAlphaTest : public ScreenModulesTest,
                           public ::testing::WithParamInterface<std::pair<const char*, uint32_t>> {
};

TEST_P(ShowImageAlphaTest, OpacityBecomesTheVertexAlpha) {
  ASSERT_TRUE(world.LoadTimeline(ShowImage(std::string("<param name=\"alpha\" type=\"float\" "
                                                       "value=\"") +
                                           GetParam().first + "\"/>")));
  world.timeline.Render(0.0f);
  const uint32_t a = GetParam().second;
  EXPECT_EQ((std::vector<uint32_t>{a, a, a, a}), StreamAlphas()) << "alpha " << GetParam().first;
}

INSTANTIATE_TEST_SUITE_P(
    Clamped, ShowImageAlphaTest,
    ::testing::Values(std::make_pair("1.5", 255u), std::make_pair("1", 255u),
                      std::make_pair("-0.2", 0u), std::make_pair("0", 0u),
                      std::make_pair("0.5", 128u), std::make_pair("0.25", 64u)),
    [](const ::testing::TestParamInfo<std::pair<const char*, uint32_t>>& tested) {
      return "alpha" + std::to_string(tested.index);
    });

TEST_F(ScreenModulesTest, ShowImageWithAnUnknownTextureDrawsNothingVisible) {
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline><m type=\"showimage\" start=\"0\" end=\"1000\">"
      "<param name=\"texture\" type=\"string\" value=\"nosuch\"/></m></timeline>"));
  world.timeline.Render(0.0f);
  D3DXMATRIX worldMatrix;
  world.device()->GetTransform(D3DTS_WORLD, &worldMatrix);
  D3DXVECTOR3 corner(0.5f, 0.5f, 0.0f), placed;
  D3DXVec3TransformCoord(&placed, &corner, &worldMatrix);
  EXPECT_EQ(0.0f, placed.x);
  EXPECT_EQ(0.0f, placed.y);
}

TEST_F(ScreenModulesTest, ShowImageWithoutItsBufferNeverDraws) {
  for (VexilNullFailure failure : {VEXIL_FAIL_CREATEVERTEXBUFFER, VEXIL_FAIL_LOCK}) {
    EffectWorld fresh(false);
    ASSERT_TRUE(fresh.ok());
    ASSERT_EQ(D3D_OK, VexilNullFailNext(fresh.device(), failure, 1));
    ASSERT_TRUE(fresh.LoadTimeline(ShowImage("")));
    fresh.ClearCalls();
    fresh.timeline.Render(0.0f);
    fresh.timeline.Render(1.0f);
    for (const VexilRecordedCall& call : fresh.calls()) {
      EXPECT_NE(VEXIL_CALL_DRAW, call.kind) << "failure " << failure;
    }
  }
}

TEST_F(ScreenModulesTest, ShowImageWithAFailedSceneStillRestoresProjectionAndStates) {
  ASSERT_TRUE(world.LoadTimeline(ShowImage("")));
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  world.device()->SetTransform(D3DTS_PROJECTION, &identity);
  ASSERT_EQ(D3D_OK, VexilNullFailNext(world.device(), VEXIL_FAIL_BEGINSCENE, 1));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  EXPECT_TRUE(CallsOf(VEXIL_CALL_DRAW).empty());
  D3DXMATRIX after;
  world.device()->GetTransform(D3DTS_PROJECTION, &after);
  EXPECT_TRUE(after == identity);
  EXPECT_EQ(static_cast<DWORD>(FALSE), RenderState(D3DRS_ALPHABLENDENABLE));
}

}  // namespace

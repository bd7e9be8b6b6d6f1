// "blur" without pixels: the zoom centre, the passes' opacities and texture windows, the pass
// cap, and on the null device the scene per pass, the states and transforms it hands back
// and the ones it leaves set.
#include <gtest/gtest.h>

#include "effect_test_support.h"
#include "geometry/zoom_blur_passes.h"
#include "vertex_formats.h"

namespace {

using effects::BlurPassCount;
using effects::VertexColorTex;
using effects::ZoomBlurPass;
using effects::ZoomCentre;
using effects::ZoomCentreFor;

TEST(ZoomBlurPassesTest, PassOpacitiesFallLinearlyToZero) {
  ZoomBlurPass pass = ZoomBlurPass::First(1.0f, 4);
  const ZoomCentre centre = ZoomCentreFor(0.0f, 0.0f);
  std::vector<uint32_t> alphas;
  for (int i = 0; i < 4; ++i) {
    VertexColorTex quad[4];
    effects::WriteBlurQuad(centre, pass, quad);
    for (const VertexColorTex& v : quad) EXPECT_EQ(quad[0].color, v.color);
    EXPECT_EQ(0x00FFFFFFu, quad[0].color & 0x00FFFFFFu) << "white";
    alphas.push_back(quad[0].color >> 24);
    pass.Advance(0.01f);
  }
  EXPECT_EQ((std::vector<uint32_t>{255, 191, 128, 64}), alphas);
}

TEST(ZoomBlurPassesTest, CentredZoomShowsTheShrinkingMiddleWindow) {
  const ZoomCentre centre = ZoomCentreFor(0.0f, 0.0f);
  EXPECT_FLOAT_EQ(1.0f, centre.kLeft);
  EXPECT_FLOAT_EQ(1.0f, centre.kRight);
  EXPECT_NEAR(1.0f, centre.kTop, 1e-4f);
  EXPECT_NEAR(1.0f, centre.kBottom, 1e-4f);

  ZoomBlurPass pass = ZoomBlurPass::First(0.1f, 50);
  VertexColorTex quad[4];
  effects::WriteBlurQuad(centre, pass, quad);
  // The first pass covers the 640 x 480 screen with the whole texture, row 0 at the top.
  EXPECT_EQ(0.0f, quad[0].x);
  EXPECT_EQ(480.0f, quad[0].y);
  EXPECT_EQ(640.0f, quad[3].x);
  EXPECT_EQ(0.0f, quad[3].y);
  EXPECT_EQ(0.0f, quad[0].u);
  EXPECT_EQ(0.0f, quad[0].v);
  EXPECT_EQ(1.0f, quad[3].u);
  EXPECT_EQ(1.0f, quad[3].v);

  for (int i = 0; i < 10; ++i) pass.Advance(0.01f);
  effects::WriteBlurQuad(centre, pass, quad);
  EXPECT_NEAR(0.1f, quad[0].u, 1e-5f) << "pass 10 shows [0.1, 0.9]";
  EXPECT_NEAR(0.9f, quad[1].u, 1e-5f);
  EXPECT_NEAR(0.1f, quad[1].v, 1e-4f);
  EXPECT_NEAR(0.9f, quad[2].v, 1e-4f);
}

TEST(ZoomBlurPassesTest, OffsetsMoveTheFixedPointOfTheZoom) {
  // "xoffset" 320 puts the centre at three quarters of the width; "yoffset" -240 a quarter
  // of the way down (v grows downwards).
  const ZoomCentre centre = ZoomCentreFor(320.0f, -240.0f);
  EXPECT_FLOAT_EQ(1.5f, centre.kLeft);
  EXPECT_FLOAT_EQ(0.5f, centre.kRight);
  EXPECT_NEAR(0.5f, centre.kTop, 1e-4f);
  EXPECT_NEAR(1.5f, centre.kBottom, 1e-4f);
  // Whatever the zoom, the texture point at screen fraction (kLeft / 2, kTop / 2) stays put.
  for (float zoom : {0.0f, 0.1f, 0.3f}) {
    VertexColorTex quad[4];
    effects::WriteBlurQuad(centre, {1.0f, 0.0f, zoom}, quad);
    const float s = centre.kLeft / 2, t = centre.kTop / 2;
    EXPECT_NEAR(0.75f, quad[0].u + s * (quad[1].u - quad[0].u), 1e-5f) << "zoom " << zoom;
    EXPECT_NEAR(0.25f, quad[0].v + t * (quad[2].v - quad[0].v), 1e-4f) << "zoom " << zoom;
  }
}

TEST(ZoomBlurPassesTest, PassCountIsBounded) {
  EXPECT_EQ(0, BlurPassCount(0));
  EXPECT_EQ(0, BlurPassCount(-7));
  EXPECT_EQ(50, BlurPassCount(50));
  EXPECT_EQ(effects::kMaxBlurPasses, BlurPassCount(effects::kMaxBlurPasses));
  EXPECT_EQ(effects::kMaxBlurPasses, BlurPassCount(1000000000));
  const ZoomBlurPass none = ZoomBlurPass::First(0.5f, 0);
  EXPECT_EQ(0.0f, none.alphaStep) << "no passes divide nothing";
}

class BlurModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.ok()) << world.error();
    ASSERT_TRUE(world.LoadResources("<resources><t type=\"texture\" name=\"rt\">" +
                                    Param("type", "long", "1") + Param("width", "long", "64") +
                                    Param("height", "long", "64") + "</t></resources>"));
    ASSERT_NE(nullptr, world.textures.GetTexture("rt"));
  }

  void Load(const std::string& params, const char* texture = "rt") {
    ASSERT_TRUE(world.LoadTimeline("<timeline>" +
                                   Module("blur", Param("texture", "string", texture) + params) +
                                   "</timeline>"));
  }

  // A projection, view and world of the test's own, and states an earlier module left.
  void DirtyTheDevice() {
    IDirect3DDevice9* device = world.device();
    D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.5f, 0.5f, 50.0f);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    D3DXMatrixTranslation(&view, 1.0f, 2.0f, 3.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_WORLD, &view);
    device->SetRenderState(D3DRS_AMBIENT, 0x00123456);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  }

  EffectWorld world{false};
  D3DXMATRIX projection, view;
};

TEST_F(BlurModuleTest, EveryPassIsAStripInASceneOfItsOwn) {
  Load(Param("times", "long", "4") + Param("startalpha", "float", "1"));
  DirtyTheDevice();
  const DeviceStates before = StatesOf(world.device());
  world.ClearCalls();
  world.timeline.Render(0.0f);

  std::vector<VexilCallKind> kinds;
  for (const VexilRecordedCall& call : world.calls()) kinds.push_back(call.kind);
  const std::vector<VexilCallKind> expected = {
      VEXIL_CALL_BEGINSCENE, VEXIL_CALL_DRAW,       VEXIL_CALL_ENDSCENE,   VEXIL_CALL_BEGINSCENE,
      VEXIL_CALL_DRAW,       VEXIL_CALL_ENDSCENE,   VEXIL_CALL_BEGINSCENE, VEXIL_CALL_DRAW,
      VEXIL_CALL_ENDSCENE,   VEXIL_CALL_BEGINSCENE, VEXIL_CALL_DRAW,       VEXIL_CALL_ENDSCENE,
      VEXIL_CALL_PRESENT};
  EXPECT_EQ(expected, kinds);
  for (const VexilRecordedCall& draw : CallsOf(world, VEXIL_CALL_DRAW)) {
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, draw.primitiveType);
    EXPECT_EQ(2u, draw.primitiveCount);
    EXPECT_EQ(0x142u, draw.fvf);
    EXPECT_EQ(world.textures.GetTexture("rt"), draw.texture0);
  }

  IDirect3DDevice9* device = world.device();
  EXPECT_TRUE(before == StatesOf(device)) << "every state is handed back";
  EXPECT_TRUE(TransformOf(device, D3DTS_PROJECTION) == projection) << "projection restored";
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_TRUE(TransformOf(device, D3DTS_WORLD) == identity) << "world left at identity";
  D3DXVECTOR3 origin(0, 0, 0), inView;
  const D3DXMATRIX leftView = TransformOf(device, D3DTS_VIEW);
  D3DXVec3TransformCoord(&inView, &origin, &leftView);
  EXPECT_NEAR(2.4f, inView.z, 1e-5f) << "view left set: the eye 2.4 before the screen";
  IDirect3DBaseTexture9* bound = nullptr;
  device->GetTexture(0, &bound);
  EXPECT_EQ(nullptr, bound) << "the texture is unbound";

  // The last pass left its quad in the buffer: alpha 0.25, the window [0.03, 0.97].
  IDirect3DVertexBuffer9* buffer = nullptr;
  UINT offset = 0, stride = 0;
  device->GetStreamSource(0, &buffer, &offset, &stride);
  ASSERT_NE(nullptr, buffer);
  void* data = nullptr;
  ASSERT_EQ(D3D_OK, buffer->Lock(0, 0, &data, D3DLOCK_READONLY));
  const auto* quad = static_cast<const VertexColorTex*>(data);
  EXPECT_EQ(64u, quad[0].color >> 24);
  EXPECT_NEAR(0.03f, quad[0].u, 1e-5f);
  EXPECT_NEAR(0.97f, quad[3].u, 1e-5f);
  buffer->Unlock();
  buffer->Release();
}

TEST_F(BlurModuleTest, NothingToDrawStillHandsStatesAndProjectionBack) {
  struct Case {
    std::string params;
    const char* texture;
    const char* what;
  };
  const Case cases[] = {{Param("times", "long", "0"), "rt", "times 0"},
                        {Param("times", "long", "-3"), "rt", "negative times"},
                        {Param("size", "float", "0"), "rt", "size 0"},
                        {Param("size", "float", "-0.5"), "rt", "negative size"},
                        {"", "nosuch", "an unknown texture"}};
  for (const Case& c : cases) {
    EffectWorld fresh(false);
    ASSERT_TRUE(fresh.ok());
    ASSERT_TRUE(fresh.LoadResources("<resources><t type=\"texture\" name=\"rt\">" +
                                    Param("type", "long", "1") + Param("width", "long", "64") +
                                    Param("height", "long", "64") + "</t></resources>"));
    ASSERT_TRUE(fresh.LoadTimeline(
        "<timeline>" + Module("blur", Param("texture", "string", c.texture) + c.params) +
        "</timeline>"));
    D3DXMATRIX own;
    D3DXMatrixScaling(&own, 2, 3, 4);
    fresh.device()->SetTransform(D3DTS_PROJECTION, &own);
    const DeviceStates before = StatesOf(fresh.device());
    fresh.ClearCalls();
    fresh.timeline.Render(0.0f);
    EXPECT_TRUE(CallsOf(fresh, VEXIL_CALL_DRAW).empty()) << c.what;
    EXPECT_TRUE(CallsOf(fresh, VEXIL_CALL_BEGINSCENE).empty()) << c.what;
    EXPECT_TRUE(before == StatesOf(fresh.device())) << c.what;
    EXPECT_TRUE(TransformOf(fresh.device(), D3DTS_PROJECTION) == own) << c.what;
  }
}

TEST_F(BlurModuleTest, AHugeTimesIsCappedAndToldOnce) {
  Load(Param("times", "long", "1000000000"));
  testing::internal::CaptureStderr();
  world.ClearCalls();
  world.timeline.Render(0.0f);
  world.timeline.Render(10.0f);
  const std::string told = testing::internal::GetCapturedStderr();
  EXPECT_EQ(2u * effects::kMaxBlurPasses, CallsOf(world, VEXIL_CALL_DRAW).size());
  EXPECT_EQ("blur: \"times\" 1000000000 is drawn as " + std::to_string(effects::kMaxBlurPasses) +
                " passes a frame\n",
            told);
}

TEST_F(BlurModuleTest, AFailedSceneSkipsOnlyItsPass) {
  Load(Param("times", "long", "3"));
  ASSERT_EQ(D3D_OK, VexilNullFailNext(world.device(), VEXIL_FAIL_BEGINSCENE, 1));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  EXPECT_EQ(2u, CallsOf(world, VEXIL_CALL_DRAW).size());
  EXPECT_EQ(2u, CallsOf(world, VEXIL_CALL_ENDSCENE).size());
}

TEST_F(BlurModuleTest, WithoutItsBufferItNeverDraws) {
  for (VexilNullFailure failure : {VEXIL_FAIL_CREATEVERTEXBUFFER, VEXIL_FAIL_LOCK}) {
    EffectWorld fresh(false);
    ASSERT_TRUE(fresh.ok());
    ASSERT_TRUE(fresh.LoadResources("<resources><t type=\"texture\" name=\"rt\">" +
                                    Param("type", "long", "1") + Param("width", "long", "64") +
                                    Param("height", "long", "64") + "</t></resources>"));
    ASSERT_EQ(D3D_OK, VexilNullFailNext(fresh.device(), failure, 1));
    ASSERT_TRUE(fresh.LoadTimeline("<timeline>" + Module("blur", Param("texture", "string", "rt")) +
                                   "</timeline>"));
    fresh.ClearCalls();
    fresh.timeline.Render(0.0f);
    EXPECT_TRUE(CallsOf(fresh, VEXIL_CALL_DRAW).empty()) << "failure " << failure;
  }
}

}  // namespace

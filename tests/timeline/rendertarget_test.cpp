// Render-target schedules on the null device: reading "target" elements, choosing the key for
// the module time, switching with the viewport following the target, and switching back.
#include <gtest/gtest.h>

#include <string>

#include "enginefixture.h"

namespace {

// A module that notes where its Render call draws.
class CProbeModule : public CModule {
 public:
  explicit CProbeModule(IDirect3DDevice9* device) : m_device(device) {}
  void Render() override {
    target = nullptr;
    depth = nullptr;
    m_device->GetRenderTarget(0, &target);
    if (target) target->Release();
    if (m_device->GetDepthStencilSurface(&depth) == D3D_OK) depth->Release();
    viewport = GetViewportRect();
  }
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* depth = nullptr;
  D3DRECT viewport{};

 private:
  IDirect3DDevice9* m_device;
};

class RenderTargetTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (HasFatalFailure()) return;
    texA_ = AddRenderTarget("texA", 128, 64, true);
    texB_ = AddRenderTarget("texB", 32, 16, false);
    screenDepth_ = CurrentDepth();
    ASSERT_NE(nullptr, screenDepth_);
  }
  void TearDown() override {
    delete probe_;
    EngineTest::TearDown();
  }

  // A probe placed as the timeline places modules, whose element is `xml`.
  CProbeModule* MakeProbe(const std::string& xml, float start = 0.0f) {
    probe_ = new CProbeModule(dev_);
    probe_->SetDemoDevice(&holder_);
    probe_->SetStart(start);
    ParseWith(probe_, xml);
    probe_->SetTimeLine(timeline_);
    probe_->SetViewportRect({0, 0, kDisplayWidth, kDisplayHeight});
    return probe_;
  }

  // One render call as the timeline makes it, at timeline time t.
  void RenderAt(float t) {
    timeline_->Render(t);
    probe_->SetRenderTarget();
    probe_->Render();
    probe_->RestoreRenderTarget();
  }

  IDirect3DTexture9* texA_ = nullptr;
  IDirect3DTexture9* texB_ = nullptr;
  IDirect3DSurface9* screenDepth_ = nullptr;
  CProbeModule* probe_ = nullptr;
};

TEST_F(RenderTargetTest, ScreenInAnyCaseIsTheBackBufferWithTheAutomaticDepthBuffer) {
  MakeProbe("<m><target value=\"_screen\"/></m>");
  ASSERT_EQ(1, probe_->GetTargetKeys().GetCount());
  const CTargetKey* key = probe_->GetTargetKeys().GetHead();
  EXPECT_EQ(0.0f, key->time);
  EXPECT_EQ(BackBuffer(), key->color);
  EXPECT_EQ(screenDepth_, key->depth);
}

TEST_F(RenderTargetTest, TextureValueTakesLevelZeroAndTheRegisteredDepthSurface) {
  MakeProbe("<m><TARGET value=\"TEXA\"/><target value=\"texb\"/></m>");
  ASSERT_EQ(2, probe_->GetTargetKeys().GetCount()) << "several targets add to one schedule";
  EXPECT_EQ(Level0(texA_), probe_->GetTargetKeys().Get(0)->color);
  EXPECT_EQ(textures_->GetDepthStencil("texA"), probe_->GetTargetKeys().Get(0)->depth);
  EXPECT_EQ(Level0(texB_), probe_->GetTargetKeys().Get(1)->color);
  EXPECT_EQ(nullptr, probe_->GetTargetKeys().Get(1)->depth);
}

TEST_F(RenderTargetTest, KeysAtZeroAndFiveThousandSwitchAtFiveThousand) {
  MakeProbe(
      "<m><target><key time=\"0\" value=\"texA\"/><note/><KEY time=\"5000\" value=\"_SCREEN\"/>"
      "</target></m>",
      1000.0f);
  ASSERT_EQ(2, probe_->GetTargetKeys().GetCount()) << "children other than key are ignored";

  RenderAt(1000.0f + 4999.0f);
  EXPECT_EQ(Level0(texA_), probe_->target);
  EXPECT_EQ(textures_->GetDepthStencil("texA"), probe_->depth);
  EXPECT_EQ(128, probe_->viewport.x2) << "the viewport follows texA";
  EXPECT_EQ(64, probe_->viewport.y2);
  EXPECT_EQ(BackBuffer(), CurrentTarget()) << "switched back after Render";
  EXPECT_EQ(screenDepth_, CurrentDepth());

  RenderAt(1000.0f + 5000.0f);
  EXPECT_EQ(BackBuffer(), probe_->target);
  RenderAt(1000.0f + 90000.0f);
  EXPECT_EQ(BackBuffer(), probe_->target);
}

TEST_F(RenderTargetTest, ViewportAfterRestoreIsTheSizeOfTheRestoredTarget) {
  MakeProbe("<m><target value=\"texB\"/></m>");
  RenderAt(0.0f);
  EXPECT_EQ(32, probe_->viewport.x2);
  EXPECT_EQ(16, probe_->viewport.y2);
  EXPECT_EQ(nullptr, probe_->depth) << "a texture without a depth surface renders without one";
  const D3DRECT& after = probe_->GetViewportRect();
  EXPECT_EQ(0, after.x1);
  EXPECT_EQ(0, after.y1);
  EXPECT_EQ(LONG{kBackWidth}, after.x2) << "the back buffer's size, not the display's";
  EXPECT_EQ(LONG{kBackHeight}, after.y2);
  EXPECT_EQ(screenDepth_, CurrentDepth());
}

TEST_F(RenderTargetTest, AlreadyCurrentTargetLeavesTargetsAndViewportAlone) {
  MakeProbe("<m><target value=\"_SCREEN\"/></m>");
  D3DVIEWPORT9 custom = {10, 20, 100, 50, 0.0f, 1.0f};
  ASSERT_EQ(D3D_OK, dev_->SetViewport(&custom));
  RenderAt(0.0f);
  EXPECT_EQ(BackBuffer(), probe_->target);
  EXPECT_EQ(LONG{kDisplayWidth}, probe_->viewport.x2) << "no switch, no resize";
  EXPECT_EQ(LONG{kDisplayHeight}, probe_->GetViewportRect().y2) << "restore did nothing";
  D3DVIEWPORT9 now{};
  dev_->GetViewport(&now);
  EXPECT_EQ(10u, now.X) << "setting the same target again would have reset the viewport";
  EXPECT_EQ(100u, now.Width);
}

TEST_F(RenderTargetTest, UnknownTextureKeysAreLeftOut) {
  MakeProbe("<m><target value=\"nosuch\"/></m>");
  EXPECT_TRUE(probe_->GetTargetKeys().IsEmpty());
  RenderAt(0.0f);
  EXPECT_EQ(BackBuffer(), probe_->target) << "renders into the current target";

  delete probe_;
  MakeProbe(
      "<m><target><key time=\"0\" value=\"texA\"/><key time=\"1000\" value=\"missing\"/>"
      "</target></m>");
  ASSERT_EQ(1, probe_->GetTargetKeys().GetCount());
  RenderAt(1500.0f);
  EXPECT_EQ(Level0(texA_), probe_->target) << "stays in texA rather than a null surface";
}

TEST_F(RenderTargetTest, BeforeEveryKeyTheLastKeyApplies) {
  MakeProbe(
      "<m><target><key time=\"1000\" value=\"texA\"/><key time=\"2000\" value=\"texB\"/>"
      "</target></m>");
  RenderAt(500.0f);
  EXPECT_EQ(Level0(texB_), probe_->target);
  RenderAt(1999.0f);
  EXPECT_EQ(Level0(texA_), probe_->target);
}

TEST_F(RenderTargetTest, TextureThatCannotBeRenderedIntoKeepsTheCurrentTarget) {
  IDirect3DTexture9* plain = nullptr;
  ASSERT_EQ(D3D_OK,
            dev_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr));
  textures_->AddTexture("picture", plain);
  MakeProbe("<m><target value=\"picture\"/></m>");
  RenderAt(0.0f);
  EXPECT_EQ(BackBuffer(), probe_->target);
  EXPECT_EQ(LONG{kDisplayWidth}, probe_->viewport.x2) << "no switch happened, so no resize";
  EXPECT_EQ(screenDepth_, CurrentDepth());
}

TEST_F(RenderTargetTest, ScheduleHoldsItsSurfacesUntilTheModuleIsDestroyed) {
  texA_->AddRef();
  const ULONG before = texA_->Release();
  MakeProbe("<m><target value=\"texA\"/></m>");
  RenderAt(0.0f);
  texA_->AddRef();
  EXPECT_EQ(before + 1, texA_->Release()) << "one reference for the key, none left by a frame";
  delete probe_;
  probe_ = nullptr;
  texA_->AddRef();
  EXPECT_EQ(before, texA_->Release());
}

}  // namespace

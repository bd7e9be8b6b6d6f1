// The player's device set-up: present parameters per display kind, and the fixed camera with
// the first clear, checked on the null device.
#include <gtest/gtest.h>

#include <cmath>

#include "d3d9/null/d3d9_null.h"
#include "d3dx9/d3dx9.h"
#include "display_setup.h"

namespace vexil {
namespace {

PlayerSettings Sized(bool fullscreen, bool limiter) {
  PlayerSettings settings;
  settings.width = 800;
  settings.height = 600;
  settings.framerate = 60;
  settings.fullscreen = fullscreen;
  settings.fpslimiter = limiter;
  return settings;
}

TEST(PresentParametersTest, FullScreenUsesTheSettingsSizeAndThreeX8R8G8B8Buffers) {
  const D3DPRESENT_PARAMETERS p = MakePresentParameters(Sized(true, false), D3DFMT_R5G6B5);
  EXPECT_EQ(800u, p.BackBufferWidth);
  EXPECT_EQ(600u, p.BackBufferHeight);
  EXPECT_EQ(D3DFMT_X8R8G8B8, p.BackBufferFormat);
  EXPECT_EQ(3u, p.BackBufferCount);
  EXPECT_FALSE(p.Windowed);
  EXPECT_EQ(0u, p.FullScreen_RefreshRateInHz) << "the adapter's default rate";
}

TEST(PresentParametersTest, AWindowTakesItsClientSizeAndTheDesktopFormat) {
  const D3DPRESENT_PARAMETERS p = MakePresentParameters(Sized(false, false), D3DFMT_R5G6B5);
  EXPECT_EQ(0u, p.BackBufferWidth);
  EXPECT_EQ(0u, p.BackBufferHeight);
  EXPECT_EQ(D3DFMT_R5G6B5, p.BackBufferFormat);
  EXPECT_EQ(0u, p.BackBufferCount);
  EXPECT_TRUE(p.Windowed);
}

TEST(PresentParametersTest, SharedFieldsAndVsyncFollowingTheLimiter) {
  for (bool fullscreen : {false, true}) {
    const D3DPRESENT_PARAMETERS off =
        MakePresentParameters(Sized(fullscreen, false), D3DFMT_X8R8G8B8);
    const D3DPRESENT_PARAMETERS on =
        MakePresentParameters(Sized(fullscreen, true), D3DFMT_X8R8G8B8);
    EXPECT_EQ(D3DSWAPEFFECT_DISCARD, off.SwapEffect);
    EXPECT_TRUE(off.EnableAutoDepthStencil);
    EXPECT_EQ(D3DFMT_D16, off.AutoDepthStencilFormat);
    EXPECT_EQ(D3DMULTISAMPLE_NONE, off.MultiSampleType);
    EXPECT_EQ(nullptr, off.hDeviceWindow);
    EXPECT_EQ(0u, off.Flags);
    EXPECT_EQ(static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE), off.PresentationInterval);
    EXPECT_EQ(static_cast<UINT>(D3DPRESENT_INTERVAL_ONE), on.PresentationInterval);
  }
}

TEST(PresentParametersTest, HeadlessBuffersHaveTheSettingsSize) {
  const D3DPRESENT_PARAMETERS p = MakeHeadlessPresentParameters(Sized(true, true));
  EXPECT_EQ(800u, p.BackBufferWidth);
  EXPECT_EQ(600u, p.BackBufferHeight);
  EXPECT_TRUE(p.Windowed);
  EXPECT_EQ(static_cast<UINT>(D3DPRESENT_INTERVAL_IMMEDIATE), p.PresentationInterval);
}

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = VexilCreateNullDirect3D9();
    ASSERT_NE(nullptr, d3d_);
    PlayerSettings settings;
    settings.width = 320;
    settings.height = 200;
    D3DPRESENT_PARAMETERS params = MakeHeadlessPresentParameters(settings);
    ASSERT_EQ(D3D_OK, d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_));
  }
  void TearDown() override {
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
  }
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

TEST_F(CameraTest, InstallsTheFixedViewAndTheSettingsAspect) {
  // A 16:9 projection on a 320x200 buffer: the settings' aspect wins over the buffer's.
  InstallCameraAndClear(device_, 1280, 720);
  D3DXMATRIX view, projection;
  ASSERT_EQ(D3D_OK, device_->GetTransform(D3DTS_VIEW, &view));
  ASSERT_EQ(D3D_OK, device_->GetTransform(D3DTS_PROJECTION, &projection));
  // Looking down +z from z = -2.4: the origin lands 2.4 units in front of the eye.
  EXPECT_FLOAT_EQ(1.0f, view._11);
  EXPECT_FLOAT_EQ(1.0f, view._22);
  EXPECT_FLOAT_EQ(1.0f, view._33);
  EXPECT_FLOAT_EQ(2.4f, view._43);
  // yScale = cot(pi/8); xScale = yScale / aspect; z maps 1..1000 to 0..1.
  const float y_scale = 1.0f / std::tan(0.7853982f / 2.0f);
  EXPECT_NEAR(y_scale, projection._22, 1e-5f);
  EXPECT_NEAR(y_scale / (1280.0f / 720.0f), projection._11, 1e-5f);
  EXPECT_NEAR(1000.0f / 999.0f, projection._33, 1e-6f);
  EXPECT_FLOAT_EQ(1.0f, projection._34);
  EXPECT_NEAR(-1000.0f / 999.0f, projection._43, 1e-5f);
}

TEST_F(CameraTest, ClearsTheTargetToTransparentBlackOnly) {
  VexilNullClearRecordedCalls(device_);
  InstallCameraAndClear(device_, 320, 200);
  const std::vector<VexilRecordedCall>* calls = VexilNullRecordedCalls(device_);
  ASSERT_NE(nullptr, calls);
  ASSERT_EQ(1u, calls->size());
  const VexilRecordedCall& clear = calls->front();
  EXPECT_EQ(VEXIL_CALL_CLEAR, clear.kind);
  EXPECT_EQ(static_cast<DWORD>(D3DCLEAR_TARGET), clear.clearFlags);
  EXPECT_EQ(0u, clear.clearColor);
  EXPECT_EQ(0.0f, clear.clearZ);
  EXPECT_EQ(0u, clear.rectCount);
}

}  // namespace
}  // namespace vexil

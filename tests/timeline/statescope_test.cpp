// CStateScope write-back order and CDemoDevice wiring, against a device that logs every call
// and against the null device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenecore.h"
#include "statedevice_fake.h"

namespace {

using Calls = std::vector<std::string>;

std::string Rs(D3DRENDERSTATETYPE s, DWORD v) {
  return "SetRenderState " + std::to_string(s) + " " + std::to_string(v);
}

class StateScopeTest : public ::testing::Test {
 protected:
  void SetUp() override { holder_.SetD3DDevice(&device_); }
  void TearDown() override { holder_.SetD3DDevice(nullptr); }

  CStateDeviceFake device_;
  CDemoDevice holder_;
};

TEST_F(StateScopeTest, EmptyScopeTalksToTheDeviceNotAtAll) {
  { CStateScope scope; }
  EXPECT_EQ(Calls{}, device_.calls);
}

TEST_F(StateScopeTest, EachSetReadsThePreviousValueFirst) {
  device_.render[D3DRS_ZENABLE] = 1;
  CStateScope scope;
  EXPECT_TRUE(scope.SetRenderState(D3DRS_ZENABLE, 0));
  EXPECT_EQ((Calls{"GetRenderState 7", Rs(D3DRS_ZENABLE, 0)}), device_.calls);
  EXPECT_EQ(0u, device_.render[D3DRS_ZENABLE]) << "the new value is in effect inside the scope";
}

TEST_F(StateScopeTest, WritesBackRenderThenSamplerThenStageStates) {
  device_.render[D3DRS_LIGHTING] = 1;
  device_.sampler[{1, D3DSAMP_MAGFILTER}] = D3DTEXF_POINT;
  device_.stage[{0, D3DTSS_COLOROP}] = D3DTOP_MODULATE;
  {
    CStateScope scope;
    // Set in the reverse of the write-back order to show that the lists, not the calls,
    // decide it.
    scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    scope.SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    scope.SetRenderState(D3DRS_LIGHTING, 0);
    device_.calls.clear();
  }
  const Calls expected = {Rs(D3DRS_LIGHTING, 1),
                          "SetSamplerState 1 " + std::to_string(D3DSAMP_MAGFILTER) + " " +
                              std::to_string(D3DTEXF_POINT),
                          "SetTextureStageState 0 " + std::to_string(D3DTSS_COLOROP) + " " +
                              std::to_string(D3DTOP_MODULATE)};
  EXPECT_EQ(expected, device_.calls);
  EXPECT_EQ(1u, device_.render[D3DRS_LIGHTING]);
  EXPECT_EQ(DWORD{D3DTEXF_POINT}, (device_.sampler[{1, D3DSAMP_MAGFILTER}]));
  EXPECT_EQ(DWORD{D3DTOP_MODULATE}, (device_.stage[{0, D3DTSS_COLOROP}]));
}

TEST_F(StateScopeTest, StateSetTwiceIsWrittenBackInRecordingOrder) {
  const DWORD x = 10, a = 20, b = 30;
  device_.render[D3DRS_ALPHAREF] = x;
  {
    CStateScope scope;
    scope.SetRenderState(D3DRS_ALPHAREF, a);
    scope.SetRenderState(D3DRS_ALPHAREF, b);
    device_.calls.clear();
  }
  EXPECT_EQ((Calls{Rs(D3DRS_ALPHAREF, x), Rs(D3DRS_ALPHAREF, a)}), device_.calls)
      << "two records, oldest first";
  EXPECT_EQ(a, device_.render[D3DRS_ALPHAREF]) << "the last write-back wins";
}

TEST_F(StateScopeTest, RejectedSetAnswersFalseAndIsStillWrittenBack) {
  device_.render[D3DRS_CULLMODE] = D3DCULL_CCW;
  device_.rejectedRenderValues.insert({D3DRS_CULLMODE, 99});
  {
    CStateScope scope;
    EXPECT_FALSE(scope.SetRenderState(D3DRS_CULLMODE, 99));
    EXPECT_TRUE(scope.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE));
    device_.calls.clear();
  }
  EXPECT_EQ((Calls{Rs(D3DRS_CULLMODE, D3DCULL_CCW), Rs(D3DRS_CULLMODE, D3DCULL_CCW)}),
            device_.calls);
  EXPECT_EQ(DWORD{D3DCULL_CCW}, device_.render[D3DRS_CULLMODE]);
}

TEST_F(StateScopeTest, UnreadableStateIsWrittenBackWithTheNewValue) {
  device_.render[D3DRS_FOGCOLOR] = 5;
  device_.unreadableRenderStates.insert(D3DRS_FOGCOLOR);
  {
    CStateScope scope;
    scope.SetRenderState(D3DRS_FOGCOLOR, 7);
    device_.calls.clear();
  }
  EXPECT_EQ(Calls{Rs(D3DRS_FOGCOLOR, 7)}, device_.calls) << "the write-back changes nothing";
}

TEST(StateScopeWithoutDevice, SettersAnswerFalseAndNothingCrashes) {
  CDemoDevice holder;
  holder.SetD3DDevice(nullptr);
  CStateScope scope;
  EXPECT_FALSE(scope.SetRenderState(D3DRS_ZENABLE, 0));
  EXPECT_FALSE(scope.SetSamplerState(0, D3DSAMP_MINFILTER, 0));
  EXPECT_FALSE(scope.SetTextureStageState(0, D3DTSS_COLOROP, 0));
}

TEST(StateScopeOnNullDevice, RestoresTheDeviceStates) {
  IDirect3D9* d3d = VexilCreateNullDirect3D9();
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 64;
  pp.BackBufferHeight = 64;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.Windowed = TRUE;
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &device));
  CDemoDevice holder;
  holder.SetD3DDevice(device);
  DWORD lighting = 0, mag = 0, colorOp = 0;
  device->GetRenderState(D3DRS_LIGHTING, &lighting);
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &mag);
  device->GetTextureStageState(0, D3DTSS_COLOROP, &colorOp);
  {
    CStateScope scope;
    EXPECT_TRUE(scope.SetRenderState(D3DRS_LIGHTING, !lighting));
    EXPECT_TRUE(scope.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_ANISOTROPIC));
    EXPECT_TRUE(scope.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD));
  }
  DWORD value = 0;
  device->GetRenderState(D3DRS_LIGHTING, &value);
  EXPECT_EQ(lighting, value);
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
  EXPECT_EQ(mag, value);
  device->GetTextureStageState(0, D3DTSS_COLOROP, &value);
  EXPECT_EQ(colorOp, value);
  holder.SetD3DDevice(nullptr);
  EXPECT_EQ(0u, device->Release());
  EXPECT_EQ(0u, d3d->Release());
}

TEST(DemoDevice, StartsEmptyAndHandsOutWhatItWasGiven) {
  CDemoDevice holder;
  EXPECT_EQ(nullptr, holder.GetResourceManager());
  EXPECT_EQ(nullptr, static_cast<IDirect3D9*>(holder));
  EXPECT_EQ(nullptr, static_cast<IDirect3DDevice9*>(holder));
  EXPECT_EQ(nullptr, holder.m_pWidgetManager);
  EXPECT_EQ(nullptr, holder.m_pTextureManager);

  CStateDeviceFake device;
  CResourceManager resources;
  CTextureManager textures;
  holder.SetD3DDevice(&device);
  holder.SetResourceManager(&resources);
  holder.SetTextureManager(&textures);
  EXPECT_EQ(&device, static_cast<IDirect3DDevice9*>(holder));
  EXPECT_EQ(&device, CStateScope::m_pD3DDevice) << "setting the device arms every scope";
  EXPECT_EQ(&resources, holder.GetResourceManager());
  EXPECT_EQ(&textures, holder.m_pTextureManager);
  holder.SetD3DDevice(nullptr);
}

}  // namespace

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

TEST(DemoDevice, StartsEmptyAndSettingTheDeviceArmsEveryScope) {
  CDemoDevice holder;
  EXPECT_EQ(nullptr, holder.GetResourceManager());
  EXPECT_EQ(nullptr, static_cast<IDirect3DDevice9*>(holder));
  CStateDeviceFake device;
  holder.SetD3DDevice(&device);
  EXPECT_EQ(&device, static_cast<IDirect3DDevice9*>(holder));
  EXPECT_EQ(&device, CStateScope::m_pD3DDevice);
  holder.SetD3DDevice(nullptr);
}

}  // namespace

// A null Direct3D device (records calls, keeps state and resource contents) for the D3DX
// loader tests, plus a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"
#include "support/scratch_dir.h"
#include "support/test_device.h"

class D3DXNullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = VexilCreateNullDirect3D9();
    ASSERT_NE(nullptr, d3d_);
    ASSERT_EQ(D3D_OK, vexil::test::CreateTestDevice(d3d_, 640, 480, &dev_));
  }
  void TearDown() override {
    if (dev_) {
      EXPECT_EQ(0u, dev_->Release()) << "everything made on the device was released";
    }
    if (d3d_) d3d_->Release();
  }

  std::string File(const std::string& name) const { return scratch_.File(name); }
  const std::vector<VexilRecordedCall>& Calls() { return *VexilNullRecordedCalls(dev_); }

  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
};

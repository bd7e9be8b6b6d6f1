// A null Direct3D device (records calls, keeps state and resource contents) for the D3DX
// loader tests, plus a scratch folder that is removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "../support/test_device.h"
#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"

class D3DXNullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexil-d3dx-dev-XXXXXX";
    dir_ = mkdtemp(pattern);
    d3d_ = VexilCreateNullDirect3D9();
    ASSERT_NE(nullptr, d3d_);
    ASSERT_EQ(D3D_OK, CreateTestDevice(d3d_, 640, 480, &dev_));
  }
  void TearDown() override {
    if (dev_) {
      EXPECT_EQ(0u, dev_->Release()) << "everything made on the device was released";
    }
    if (d3d_) d3d_->Release();
    std::filesystem::remove_all(dir_);
  }

  std::string File(const std::string& name) const { return dir_ + "/" + name; }
  const std::vector<VexilRecordedCall>& Calls() { return *VexilNullRecordedCalls(dev_); }

  std::string dir_;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
};

// A null Direct3D object and device for the d3d9 unit tests.
#pragma once

#include <gtest/gtest.h>

#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"
#include "support/test_device.h"

class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = VexilCreateNullDirect3D9();
    ASSERT_NE(nullptr, d3d_);
    ASSERT_EQ(D3D_OK, vexil::test::CreateTestDevice(d3d_, 320, 240, &dev_));
  }
  void TearDown() override {
    if (dev_) {
      EXPECT_EQ(0u, dev_->Release()) << "the device outlives its last reference";
    }
    if (d3d_) {
      EXPECT_EQ(0u, d3d_->Release());
    }
  }

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
};

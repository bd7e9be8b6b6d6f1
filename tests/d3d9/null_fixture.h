// A null Direct3D object and device for the d3d9 unit tests.
#pragma once

#include <gtest/gtest.h>

#include "d3d9/d3d9.h"

class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = VexilCreateNullDirect3D9();
    ASSERT_NE(nullptr, d3d_);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 320;
    pp.BackBufferHeight = 240;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    ASSERT_EQ(D3D_OK, d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev_));
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

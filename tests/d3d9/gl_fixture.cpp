// Headless GL device fixture and PNG output of frames for inspection.
#include "gl_fixture.h"

#include "support/test_device.h"

void GlDeviceTest::SetUp() {
  d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d_) << "no GL Direct3D object (is SDL_VIDEODRIVER=offscreen set?)";
  ASSERT_EQ(D3D_OK, vexil::test::CreateTestDevice(d3d_, kWidth, kHeight, &dev_));
}

void GlDeviceTest::TearDown() {
  if (dev_) {
    EXPECT_EQ(0u, dev_->Release());
  }
  if (d3d_) {
    EXPECT_EQ(0u, d3d_->Release());
  }
}

std::vector<uint8_t> GlDeviceTest::ReadBackBuffer() {
  IDirect3DSurface9* bb = nullptr;
  EXPECT_EQ(D3D_OK, dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb));
  EXPECT_EQ(D3D_OK, VexilReadSurfaceRGBA(bb, &pixels_, &readWidth_, &readHeight_));
  bb->Release();
  return pixels_;
}

Rgba GlDeviceTest::Pixel(int x, int y) {
  return vexil::test::PixelAt(pixels_, readWidth_, x, y);
}

void GlDeviceTest::SavePng(const std::string& name) {
  vexil::test::WritePng(std::string(VEXIL_BIN_DIR) + "/d3d9-" + name + ".png", pixels_,
                        static_cast<int>(readWidth_), static_cast<int>(readHeight_));
}

void GlDeviceTest::UseOrtho(float depth) {
  const D3DMATRIX identity = Diagonal(1, 1, 1);
  const D3DMATRIX projection = Diagonal(1, 1, 1.0f / depth);
  dev_->SetTransform(D3DTS_WORLD, &identity);
  dev_->SetTransform(D3DTS_VIEW, &identity);
  dev_->SetTransform(D3DTS_PROJECTION, &projection);
  dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void GlDeviceTest::DrawNormalQuad(float z, float nx, float ny, float nz) {
  const VertexXyzNormal quad[4] = {{-1, 1, z, nx, ny, nz},
                                   {1, 1, z, nx, ny, nz},
                                   {-1, -1, z, nx, ny, nz},
                                   {1, -1, z, nx, ny, nz}};
  dev_->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
  EXPECT_EQ(D3D_OK, dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0])));
}

void GlDeviceTest::UseClipSpace() {
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  dev_->SetTransform(D3DTS_WORLD, &identity);
  dev_->SetTransform(D3DTS_VIEW, &identity);
  dev_->SetTransform(D3DTS_PROJECTION, &identity);
  dev_->SetRenderState(D3DRS_LIGHTING, FALSE);
  dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

void GlDeviceTest::DrawClipQuad(float x0, float y0, float x1, float y1, float z, D3DCOLOR color,
                                float u0, float v0, float u1, float v1) {
  // Strip order: top-left, top-right, bottom-left, bottom-right (y up in clip space).
  const VertexXyzColorTex quad[4] = {{x0, y1, z, color, u0, v0},
                                     {x1, y1, z, color, u1, v0},
                                     {x0, y0, z, color, u0, v1},
                                     {x1, y0, z, color, u1, v1}};
  dev_->SetFVF(0x142);
  EXPECT_EQ(D3D_OK, dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0])));
}

IDirect3DTexture9* GlDeviceTest::MakeTexture(UINT w, UINT h, const std::vector<DWORD>& argb,
                                             D3DFORMAT format) {
  IDirect3DTexture9* tex = nullptr;
  EXPECT_EQ(D3D_OK, dev_->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &tex, nullptr));
  D3DLOCKED_RECT lr{};
  EXPECT_EQ(D3D_OK, tex->LockRect(0, &lr, nullptr, 0));
  for (UINT y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<DWORD*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch);
    for (UINT x = 0; x < w; ++x) row[x] = argb[y * w + x];
  }
  tex->UnlockRect(0);
  return tex;
}

// A texture loaded from a file and drawn through the OpenGL device: the picture arrives
// upright (file row 0 at the top of the screen) with its colours and colour-keyed holes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "d3d9/d3d9_readback.h"
#include "d3dx9/d3dx9.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr UINT kSize = 64;

struct ScreenVertex {
  float x, y, z, rhw;
  float u, v;
};

TEST(D3DXTextureGl, LoadedPictureDrawsUprightWithKeyedHoles) {
  IDirect3D9* d3d = Direct3DCreate9(31);
  ASSERT_NE(nullptr, d3d);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = kSize;
  pp.BackBufferHeight = kSize;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  IDirect3DDevice9* dev = nullptr;
  if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &dev))) {
    d3d->Release();
    GTEST_SKIP() << "no OpenGL device available here";
  }

  // 2 x 2: red, green / magenta (keyed away), blue.
  char pattern[] = "/tmp/vexil-d3dx-gl-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string file = dir + "/quad.png";
  const unsigned char px[] = {255, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255};
  ASSERT_NE(0, stbi_write_png(file.c_str(), 2, 2, 3, px, 6));
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK,
            D3DXCreateTextureFromFileExA(dev, file.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                         D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                         D3DX_DEFAULT, 0xFFFF00FF, nullptr, nullptr, &tex));
  std::filesystem::remove_all(dir);

  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0);
  ASSERT_EQ(D3D_OK, dev->BeginScene());
  dev->SetRenderState(D3DRS_LIGHTING, FALSE);
  dev->SetRenderState(D3DRS_ZENABLE, FALSE);
  dev->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  dev->SetTexture(0, tex);
  dev->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  const float e = kSize - 0.5f;
  const ScreenVertex quad[] = {{-0.5f, -0.5f, 0, 1, 0, 0}, {e, -0.5f, 0, 1, 1, 0},
                               {e, e, 0, 1, 1, 1},         {-0.5f, -0.5f, 0, 1, 0, 0},
                               {e, e, 0, 1, 1, 1},         {-0.5f, e, 0, 1, 0, 1}};
  ASSERT_EQ(D3D_OK, dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, quad, sizeof(ScreenVertex)));
  dev->EndScene();

  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(D3D_OK, dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
  std::vector<uint8_t> rgba;
  UINT w = 0, h = 0;
  ASSERT_EQ(D3D_OK, VexilReadSurfaceRGBA(back, &rgba, &w, &h));
  back->Release();
  auto at = [&](UINT x, UINT y) {
    const uint8_t* p = &rgba[(y * w + x) * 4];
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  };
  // Quadrant centres; the image was resampled 2 x 2 -> 2 x 2 (already a power of two).
  EXPECT_EQ(0xFF0000u, at(16, 16)) << "file row 0 left: red at the top left";
  EXPECT_EQ(0x00FF00u, at(48, 16)) << "green at the top right";
  EXPECT_EQ(0x808080u, at(16, 48)) << "the keyed magenta is a hole showing the clear colour";
  EXPECT_EQ(0x0000FFu, at(48, 48)) << "blue at the bottom right";

  tex->Release();
  dev->Release();
  d3d->Release();
}

}  // namespace

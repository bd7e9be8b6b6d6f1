// A texture loaded from a file and drawn through the OpenGL device: the picture arrives
// upright (file row 0 at the top of the screen) with its colours and colour-keyed holes.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "d3d9/d3d9_readback.h"
#include "d3dx9/d3dx9.h"
#include "support/picture.h"
#include "support/scratch_dir.h"
#include "support/test_device.h"

namespace {

constexpr UINT kSize = 64;

struct ScreenVertex {
  float x, y, z, rhw;
  float u, v;
};

TEST(D3DXTextureGl, LoadedPictureDrawsUprightWithKeyedHoles) {
  vexil::test::TestDevice device(vexil::test::Backend::kGl, kSize, kSize, false);
  ASSERT_TRUE(device.ok()) << "no OpenGL device (is SDL_VIDEODRIVER=offscreen set?)";
  IDirect3DDevice9* dev = device.device();

  // 2 x 2: red, green / magenta (keyed away), blue.
  vexil::test::ScratchDir dir;
  const std::string file = dir.File("quad.png");
  ASSERT_TRUE(vexil::test::WritePng(file, {255, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255}, 2, 2, 3));
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK,
            D3DXCreateTextureFromFileExA(dev, file.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                         D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                         D3DX_DEFAULT, 0xFFFF00FF, nullptr, nullptr, &tex));

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
    const vexil::test::Rgba c = vexil::test::PixelAt(rgba, w, x, y);
    return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b);
  };
  // Quadrant centres; the image was resampled 2 x 2 -> 2 x 2 (already a power of two).
  EXPECT_EQ(0xFF0000u, at(16, 16)) << "file row 0 left: red at the top left";
  EXPECT_EQ(0x00FF00u, at(48, 16)) << "green at the top right";
  EXPECT_EQ(0x808080u, at(16, 48)) << "the keyed magenta is a hole showing the clear colour";
  EXPECT_EQ(0x0000FFu, at(48, 48)) << "blue at the bottom right";

  tex->Release();
  EXPECT_TRUE(device.Release()) << "the texture gave its device back";
}

}  // namespace

// Text drawn through the OpenGL device on an offscreen back buffer, checked by pixels:
// glyphs land inside their box, alignment moves them, colour and clipping apply.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "d3d9/d3d9_readback.h"
#include "d3dx9/d3dx9.h"
#include "support/test_device.h"

namespace {

constexpr UINT kWidth = 320, kHeight = 240;

class D3DXFontGlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = Direct3DCreate9(31);
    ASSERT_NE(nullptr, d3d_);
    const HRESULT hr = vexil::test::CreateTestDevice(d3d_, kWidth, kHeight, &dev_);
    if (FAILED(hr)) GTEST_SKIP() << "no OpenGL device available here";
    LOGFONT lf{};
    lf.lfHeight = 24;
    lf.lfWeight = FW_BOLD;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::strcpy(lf.lfFaceName, "DejaVu Sans");
    ASSERT_EQ(D3D_OK, D3DXCreateFontIndirect(dev_, &lf, &font_));
  }
  void TearDown() override {
    if (font_) font_->Release();
    if (dev_) dev_->Release();
    if (d3d_) d3d_->Release();
  }

  // Clears to black, draws, and reads the back buffer back as RGBA rows.
  std::vector<uint8_t> Draw(const char* text, RECT box, DWORD flags, D3DCOLOR color) {
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    EXPECT_EQ(D3D_OK, dev_->BeginScene());
    font_->Begin();
    EXPECT_GT(font_->DrawTextA(text, -1, &box, flags, color), 0);
    font_->End();
    dev_->EndScene();
    IDirect3DSurface9* back = nullptr;
    EXPECT_EQ(D3D_OK, dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    std::vector<uint8_t> rgba;
    UINT w = 0, h = 0;
    EXPECT_EQ(D3D_OK, VexilReadSurfaceRGBA(back, &rgba, &w, &h));
    back->Release();
    EXPECT_EQ(kWidth, w);
    EXPECT_EQ(kHeight, h);
    return rgba;
  }

  // Bounding box of pixels whose channel c is above half.
  static RECT Ink(const std::vector<uint8_t>& rgba, int c) {
    RECT r{static_cast<LONG>(kWidth), static_cast<LONG>(kHeight), -1, -1};
    for (UINT y = 0; y < kHeight; ++y)
      for (UINT x = 0; x < kWidth; ++x)
        if (rgba[(y * kWidth + x) * 4 + c] > 128) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    return r;
  }

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
  ID3DXFont* font_ = nullptr;
};

TEST_F(D3DXFontGlTest, LeftAlignedTextInksItsLine) {
  const std::vector<uint8_t> px =
      Draw("HELLO", RECT{40, 100, 320, 240}, DT_LEFT | DT_NOCLIP, 0xFFFF0000);
  const RECT red = Ink(px, 0);
  ASSERT_GE(red.right, 0) << "something was drawn";
  EXPECT_GE(red.left, 40);
  EXPECT_LE(red.left, 44) << "H starts at the box's left edge";
  EXPECT_GE(red.top, 100) << "row 0 is the top: text hangs below the box top";
  EXPECT_LE(red.bottom, 124) << "within one 24-pixel line";
  EXPECT_GT(red.right - red.left, 50) << "five bold capitals are wide";
  EXPECT_LT(Ink(px, 1).right, 0) << "the colour is pure red: no green anywhere";
}

TEST_F(D3DXFontGlTest, RightAndCentreAlignment) {
  const RECT right = Ink(Draw("W", RECT{0, 0, 300, 240}, DT_RIGHT | DT_NOCLIP, 0xFFFFFFFF), 1);
  EXPECT_LE(right.right, 300);
  EXPECT_GE(right.right, 294) << "right-aligned glyph ends at the box's right edge";
  const RECT centre = Ink(Draw("W", RECT{100, 0, 300, 240}, DT_CENTER | DT_NOCLIP, 0xFFFFFFFF), 1);
  EXPECT_NEAR(200, (centre.left + centre.right) / 2, 3) << "centred between 100 and 300";
}

TEST_F(D3DXFontGlTest, ClippedToTheBox) {
  const RECT ink = Ink(Draw("MMMMMMMM", RECT{10, 10, 60, 40}, DT_LEFT, 0xFFFFFFFF), 1);
  EXPECT_LE(ink.right, 60) << "nothing past the box's right edge";
  EXPECT_GT(ink.right, 50);
}

}  // namespace

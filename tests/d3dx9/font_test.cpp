// ID3DXFont on the null device: what DrawTextA draws, measuring with DT_CALCRECT,
// clipping, and that every state the font changes is given back to the caller.
#include <gtest/gtest.h>

#include <cstring>

#include "d3dx9/d3dx9.h"
#include "null_device_fixture.h"

namespace {

class D3DXFontTest : public D3DXNullDeviceTest {
 protected:
  void SetUp() override {
    D3DXNullDeviceTest::SetUp();
    LOGFONT lf{};
    lf.lfHeight = 16;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::strcpy(lf.lfFaceName, "Verdana");
    ASSERT_EQ(D3D_OK, D3DXCreateFontIndirect(dev_, &lf, &font_));
  }
  void TearDown() override {
    if (font_) {
      EXPECT_EQ(0u, font_->Release());
    }
    D3DXNullDeviceTest::TearDown();
  }
  std::vector<VexilRecordedCall> Draws() {
    std::vector<VexilRecordedCall> draws;
    for (const auto& c : Calls())
      if (c.kind == VEXIL_CALL_DRAW) draws.push_back(c);
    return draws;
  }

  ID3DXFont* font_ = nullptr;
};

TEST_F(D3DXFontTest, DrawsOneQuadPerVisibleGlyph) {
  RECT box{10, 20, 640, 480};
  VexilNullClearRecordedCalls(dev_);
  EXPECT_EQ(16,
            font_->DrawTextA("Hi there", -1, &box, DT_LEFT | DT_EXPANDTABS | DT_NOCLIP, 0xFFFFFFFF))
      << "the result is the text's height: one line of the 16-pixel cell";
  std::vector<VexilRecordedCall> draws = Draws();
  ASSERT_EQ(1u, draws.size()) << "one draw for the whole string";
  EXPECT_EQ(D3DPT_TRIANGLELIST, draws[0].primitiveType);
  EXPECT_EQ(14u, draws[0].primitiveCount) << "7 glyphs, the blank draws nothing";
  EXPECT_TRUE(draws[0].userPointer);
  EXPECT_EQ(static_cast<DWORD>(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1), draws[0].fvf);
  EXPECT_NE(nullptr, draws[0].texture0) << "the glyph atlas is bound";

  VexilNullClearRecordedCalls(dev_);
  EXPECT_EQ(16, font_->DrawTextA("Hi\nthere", 2, &box, DT_NOCLIP, 0xFFFFFFFF))
      << "a count of 2 draws only \"Hi\"";
  ASSERT_EQ(1u, Draws().size());
  EXPECT_EQ(4u, Draws()[0].primitiveCount);

  VexilNullClearRecordedCalls(dev_);
  EXPECT_EQ(32, font_->DrawTextA("one\ntwo", -1, &box, DT_NOCLIP, 0xFF00FF00));
  RECT tall{0, 100, 200, 200};
  EXPECT_EQ(100, font_->DrawTextA("low", -1, &tall, DT_BOTTOM | DT_SINGLELINE, 0xFFFFFFFF))
      << "bottom-aligned: from the box's top to the text's bottom";
  EXPECT_EQ(58, font_->DrawTextA("mid", -1, &tall, DT_VCENTER | DT_SINGLELINE, 0xFFFFFFFF))
      << "centred: 42 above, 16 of text";
  VexilNullClearRecordedCalls(dev_);
  EXPECT_EQ(16, font_->DrawTextA("   ", -1, &box, DT_NOCLIP, 0xFFFFFFFF));
  EXPECT_TRUE(Draws().empty()) << "blanks only: nothing to draw";
}

TEST_F(D3DXFontTest, CalcRectMeasuresWithoutDrawing) {
  RECT box{100, 50, 100, 50};
  VexilNullClearRecordedCalls(dev_);
  EXPECT_EQ(32, font_->DrawTextA("wide text\nx", -1, &box, DT_CALCRECT, 0xFFFFFFFF));
  EXPECT_TRUE(Draws().empty());
  EXPECT_EQ(100, box.left);
  EXPECT_EQ(82, box.bottom) << "two lines of 16";
  EXPECT_GT(box.right, 150) << "as wide as \"wide text\"";

  RECT tabbed{0, 0, 0, 0};
  font_->DrawTextA("a\tb", -1, &tabbed, DT_CALCRECT | DT_EXPANDTABS, 0);
  RECT plain{0, 0, 0, 0};
  font_->DrawTextA("ab", -1, &plain, DT_CALCRECT, 0);
  EXPECT_GT(tabbed.right, plain.right + 30) << "a tab expands to the next 8-column stop";
}

TEST_F(D3DXFontTest, ClipsToTheBoxUnlessNoClip) {
  RECT box{0, 0, 40, 16};
  VexilNullClearRecordedCalls(dev_);
  font_->DrawTextA("x\nhidden", -1, &box, DT_LEFT, 0xFFFFFFFF);
  ASSERT_EQ(1u, Draws().size());
  EXPECT_EQ(2u, Draws()[0].primitiveCount) << "the second line lies below the box";
  VexilNullClearRecordedCalls(dev_);
  font_->DrawTextA("x\nhidden", -1, &box, DT_NOCLIP, 0xFFFFFFFF);
  EXPECT_EQ(14u, Draws()[0].primitiveCount);
}

TEST_F(D3DXFontTest, RestoresTheCallersStates) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateVertexBuffer(64 * 32, 0, 0x112, D3DPOOL_MANAGED, &vb, nullptr));
  dev_->SetStreamSource(0, vb, 0, 32);
  dev_->SetFVF(0x112);
  dev_->SetRenderState(D3DRS_ZENABLE, TRUE);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  dev_->SetRenderState(D3DRS_LIGHTING, TRUE);
  dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

  auto expectCallerStates = [&](const char* when) {
    DWORD v = 0;
    dev_->GetRenderState(D3DRS_ZENABLE, &v);
    EXPECT_EQ(static_cast<DWORD>(TRUE), v) << when;
    dev_->GetRenderState(D3DRS_ALPHABLENDENABLE, &v);
    EXPECT_EQ(static_cast<DWORD>(FALSE), v) << when;
    dev_->GetRenderState(D3DRS_LIGHTING, &v);
    EXPECT_EQ(static_cast<DWORD>(TRUE), v) << when;
    dev_->GetRenderState(D3DRS_CULLMODE, &v);
    EXPECT_EQ(static_cast<DWORD>(D3DCULL_CW), v) << when;
    dev_->GetTextureStageState(0, D3DTSS_COLOROP, &v);
    EXPECT_EQ(static_cast<DWORD>(D3DTOP_SELECTARG2), v) << when;
    dev_->GetSamplerState(0, D3DSAMP_MAGFILTER, &v);
    EXPECT_EQ(static_cast<DWORD>(D3DTEXF_LINEAR), v) << when;
    dev_->GetFVF(&v);
    EXPECT_EQ(0x112u, v) << when;
    IDirect3DVertexBuffer9* stream = nullptr;
    UINT offset = 1, stride = 0;
    dev_->GetStreamSource(0, &stream, &offset, &stride);
    EXPECT_EQ(vb, stream) << when;
    EXPECT_EQ(32u, stride) << when;
    if (stream) stream->Release();
    IDirect3DBaseTexture9* tex = reinterpret_cast<IDirect3DBaseTexture9*>(0x1);
    dev_->GetTexture(0, &tex);
    EXPECT_EQ(nullptr, tex) << when;
  };

  RECT box{0, 0, 640, 480};
  font_->DrawTextA("alone", -1, &box, DT_NOCLIP, 0xFFFFFFFF);
  expectCallerStates("after a DrawTextA outside Begin/End");

  ASSERT_EQ(D3D_OK, font_->Begin());
  DWORD blend = 0;
  dev_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
  EXPECT_EQ(static_cast<DWORD>(TRUE), blend) << "Begin sets the font's blending";
  font_->DrawTextA("one", -1, &box, DT_NOCLIP, 0xFFFFFFFF);
  font_->DrawTextA("two", -1, &box, DT_RIGHT | DT_NOCLIP, 0xFFFFFFFF);
  ASSERT_EQ(D3D_OK, font_->End());
  expectCallerStates("after End");
  EXPECT_EQ(D3DERR_INVALIDCALL, font_->End()) << "End without Begin";
  vb->Release();
}

TEST_F(D3DXFontTest, CreationChecksArguments) {
  LOGFONT lf{};
  lf.lfHeight = 12;
  ID3DXFont* font = reinterpret_cast<ID3DXFont*>(0x1);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateFontIndirect(nullptr, &lf, &font));
  EXPECT_EQ(nullptr, font);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateFontIndirect(dev_, nullptr, &font));
  LOGFONT back{};
  ASSERT_EQ(D3D_OK, font_->GetLogFont(&back));
  EXPECT_STREQ("Verdana", back.lfFaceName);
  EXPECT_EQ(16, back.lfHeight);
}

}  // namespace

namespace {

TEST_F(D3DXFontTest, SameFaceAndSizeShareOneFont) {
  LOGFONT lf{};
  ASSERT_EQ(D3D_OK, font_->GetLogFont(&lf));
  // A thousand "text" modules with one font cost one font.
  std::vector<ID3DXFont*> fonts;
  for (int i = 0; i < 1000; ++i) {
    ID3DXFont* font = nullptr;
    std::strcpy(lf.lfFaceName, i % 2 ? "VERDANA" : "Verdana");  // case does not matter
    ASSERT_EQ(D3D_OK, D3DXCreateFontIndirect(dev_, &lf, &font));
    EXPECT_EQ(font_, font);
    fonts.push_back(font);
  }
  LOGFONT larger = lf;
  larger.lfHeight = 17;
  ID3DXFont* other = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateFontIndirect(dev_, &larger, &other));
  EXPECT_NE(font_, other) << "another size is another font";
  EXPECT_EQ(0u, other->Release());
  for (ID3DXFont* font : fonts) font->Release();
  // Each reference counts: the fixture's own is still the last.
  EXPECT_EQ(2u, font_->AddRef());
  EXPECT_EQ(1u, font_->Release());
}

}  // namespace

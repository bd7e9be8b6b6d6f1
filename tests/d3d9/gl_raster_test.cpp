// Pictures from the GL device compared with pixel values worked out from the geometry and
// D3D9's rules: clears, texturing, blending, depth and culling, fill modes, points,
// viewports, render targets sampled upright, pixel-centre conventions, presenting.
#include <cstring>

#include "gl_fixture.h"

namespace {

constexpr D3DCOLOR kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff;

TEST_F(GlDeviceTest, ClearFillsViewportAndRectangles) {
  ASSERT_EQ(D3D_OK,
            dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff336699, 1.0f, 0));
  EXPECT_RGB_NEAR(FromColor(0xff336699), ReadPixel(0, 0), 0);
  EXPECT_RGB_NEAR(FromColor(0xff336699), Pixel(kWidth - 1, kHeight - 1), 0);

  const D3DRECT rect{10, 5, 20, 15};
  dev_->Clear(1, &rect, D3DCLEAR_TARGET, kRed, 1.0f, 0);
  ReadBackBuffer();
  EXPECT_RGB_NEAR(FromColor(kRed), Pixel(10, 5), 0) << "rectangle corners are inclusive";
  EXPECT_RGB_NEAR(FromColor(kRed), Pixel(19, 14), 0);
  EXPECT_RGB_NEAR(FromColor(0xff336699), Pixel(20, 14), 0) << "right and bottom exclusive";
  EXPECT_RGB_NEAR(FromColor(0xff336699), Pixel(19, 15), 0);
  EXPECT_EQ(255, Pixel(0, 0).a) << "an X8R8G8B8 back buffer reads opaque";

  D3DVIEWPORT9 vp{32, 0, 32, kHeight, 0, 1};
  dev_->SetViewport(&vp);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0);
  ReadBackBuffer();
  EXPECT_RGB_NEAR(FromColor(kGreen), Pixel(32, 30), 0) << "clear covers the viewport";
  EXPECT_RGB_NEAR(FromColor(0xff336699), Pixel(31, 30), 0) << "and nothing outside it";
}

TEST_F(GlDeviceTest, ClearsLeaveTheDrawsWriteMaskAndScissorAlone) {
  // No state changes between each clear and the draw after it: the draw must still use its
  // own write mask and scissor, not what the clear needed.
  UseClipSpace();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
  dev_->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), ReadPixel(8, 8), 0)
      << "the clear writes every channel, the draw after it red alone";
  dev_->SetRenderState(D3DRS_COLORWRITEENABLE, 0xf);

  dev_->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
  const RECT half{0, 0, kWidth / 2, kHeight};
  dev_->SetScissorRect(&half);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xff000000);
  const D3DRECT corner{0, 0, 8, 8};
  dev_->Clear(1, &corner, D3DCLEAR_TARGET, kGreen, 1.0f, 0);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  ReadBackBuffer();
  EXPECT_RGB_NEAR((Rgba{255, 255, 255, 255}), Pixel(kWidth / 2 - 1, kHeight - 1), 0)
      << "the draw fills its own scissor rectangle, not the clear's";
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), Pixel(kWidth / 2, 8), 0);

  dev_->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xff000000);
  dev_->Clear(1, &corner, D3DCLEAR_TARGET, kGreen, 1.0f, 0);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xff0000ff);
  ReadBackBuffer();
  EXPECT_RGB_NEAR(FromColor(kBlue), Pixel(kWidth - 1, kHeight - 1), 0) << "scissor off";
  EXPECT_RGB_NEAR(FromColor(kBlue), Pixel(4, 4), 0);
}

TEST_F(GlDeviceTest, TexturedQuadModulatesWithDiffuseAndStaysUpright) {
  // Top row red, green; bottom row blue, white.
  IDirect3DTexture9* tex = MakeTexture(2, 2, {kRed, kGreen, kBlue, 0xffffffff});
  UseClipSpace();
  dev_->SetTexture(0, tex);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  dev_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  dev_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  dev_->BeginScene();
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xff80ffff);
  dev_->EndScene();
  ReadBackBuffer();
  SavePng("textured-quad");
  EXPECT_RGB_NEAR((Rgba{128, 0, 0, 255}), Pixel(8, 8), 1) << "texel row 0 at the top";
  EXPECT_RGB_NEAR((Rgba{0, 255, 0, 255}), Pixel(56, 8), 1);
  EXPECT_RGB_NEAR((Rgba{0, 0, 255, 255}), Pixel(8, 40), 1);
  EXPECT_RGB_NEAR((Rgba{128, 255, 255, 255}), Pixel(56, 40), 1);

  // SELECTARG2 shows the diffuse colour alone; an unbound texture passes CURRENT.
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xff204060);
  EXPECT_RGB_NEAR((Rgba{0x20, 0x40, 0x60, 255}), ReadPixel(8, 8), 0);
  dev_->SetTexture(0, nullptr);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xff605040);
  EXPECT_RGB_NEAR((Rgba{0x60, 0x50, 0x40, 255}), ReadPixel(8, 8), 0)
      << "MODULATE(TEXTURE, DIFFUSE) without a texture gives the diffuse colour";
  tex->Release();
}

TEST_F(GlDeviceTest, AlphaAndAdditiveBlending) {
  UseClipSpace();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
  dev_->SetRenderState(D3DRS_ZENABLE, FALSE);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0x80ff0000);
  // 255 * 128/255 over 255 * (1 - 128/255).
  EXPECT_RGB_NEAR((Rgba{128, 0, 127, 255}), ReadPixel(30, 20), 1);

  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff643200, 1.0f, 0);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0x10646464);
  DrawClipQuad(-1, -1, 0, 1, 0.5f, 0x10646464);
  ReadBackBuffer();
  EXPECT_RGB_NEAR((Rgba{200, 150, 100, 255}), Pixel(40, 20), 1) << "one additive pass";
  EXPECT_RGB_NEAR((Rgba{255, 250, 200, 255}), Pixel(10, 20), 1) << "two passes, saturated red";
}

TEST_F(GlDeviceTest, DepthTestAndDepthWrites) {
  UseClipSpace();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawClipQuad(-1, -1, 1, 1, 0.3f, kRed);
  DrawClipQuad(-1, -1, 1, 1, 0.7f, kGreen);
  EXPECT_RGB_NEAR(FromColor(kRed), ReadPixel(30, 20), 0) << "LESSEQUAL keeps the nearer quad";
  dev_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  DrawClipQuad(-1, -1, 1, 1, 0.1f, kBlue);
  dev_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  DrawClipQuad(-1, -1, 1, 1, 0.2f, 0xffffff00);
  EXPECT_RGB_NEAR(FromColor(0xffffff00), ReadPixel(30, 20), 0)
      << "the blue quad passed without writing depth";
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  DrawClipQuad(-1, -1, 1, 1, 0.9f, kGreen);
  EXPECT_RGB_NEAR(FromColor(kGreen), ReadPixel(30, 20), 0);
  dev_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  dev_->SetRenderState(D3DRS_ZENABLE, FALSE);
  DrawClipQuad(-1, -1, 1, 1, 1.0f, kBlue);
  EXPECT_RGB_NEAR(FromColor(kBlue), ReadPixel(30, 20), 0) << "ZENABLE FALSE draws regardless";
}

TEST_F(GlDeviceTest, CullModesFollowScreenWinding) {
  UseClipSpace();
  // Left: clockwise on screen (D3D's front face); right: counter-clockwise.
  const VertexXyzColorTex tris[6] = {
      {-0.9f, 0.8f, 0.5f, kRed, 0, 0},   {-0.1f, 0.8f, 0.5f, kRed, 0, 0},
      {-0.9f, -0.8f, 0.5f, kRed, 0, 0},  {0.1f, 0.8f, 0.5f, kGreen, 0, 0},
      {0.1f, -0.8f, 0.5f, kGreen, 0, 0}, {0.9f, 0.8f, 0.5f, kGreen, 0, 0}};
  dev_->SetFVF(0x142);
  struct Case {
    DWORD cull;
    bool clockwiseShown, counterShown;
  };
  for (const Case& c : {Case{D3DCULL_CCW, true, false}, Case{D3DCULL_CW, false, true},
                        Case{D3DCULL_NONE, true, true}}) {
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    dev_->SetRenderState(D3DRS_CULLMODE, c.cull);
    dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 2, tris, sizeof(tris[0]));
    ReadBackBuffer();
    EXPECT_EQ(c.clockwiseShown ? 255 : 0, Pixel(8, 10).r) << "cull mode " << c.cull;
    EXPECT_EQ(c.counterShown ? 255 : 0, Pixel(36, 10).g) << "cull mode " << c.cull;
  }
}

TEST_F(GlDeviceTest, WireframeAndPointFillModes) {
  UseClipSpace();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  dev_->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  DrawClipQuad(-0.5f, -0.5f, 0.5f, 0.5f, 0.5f, 0xffffffff);
  dev_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  ReadBackBuffer();
  SavePng("wireframe");
  EXPECT_EQ(0, Pixel(24, 18).r) << "the inside of a wireframe quad stays empty";
  EXPECT_EQ(255, Pixel(32, 23).r + Pixel(32, 24).r > 0 ? 255 : 0)
      << "the shared diagonal of the strip's triangles is drawn";
  int edge = 0;
  for (int x = 14; x <= 18; ++x) edge += Pixel(x, 24).r;
  EXPECT_GT(edge, 0) << "the left edge (x = 16) is drawn";
}

TEST_F(GlDeviceTest, PointListsHitPixelCentresWithPointSize) {
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  const VertexRhwColor points[2] = {{10, 10, 0.5f, 1, kRed}, {20, 30, 0.5f, 1, kGreen}};
  dev_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &points[0], sizeof(points[0]));
  const float five = 5.0f;
  DWORD fiveBits;
  std::memcpy(&fiveBits, &five, 4);
  dev_->SetRenderState(D3DRS_POINTSIZE, fiveBits);
  dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &points[1], sizeof(points[0]));
  ReadBackBuffer();
  EXPECT_EQ(255, Pixel(10, 10).r) << "a point at (10, 10) lights pixel (10, 10)";
  EXPECT_EQ(0, Pixel(11, 10).r);
  EXPECT_EQ(0, Pixel(9, 10).r);
  EXPECT_EQ(0, Pixel(10, 11).r);
  EXPECT_EQ(0, Pixel(10, 9).r);
  for (int x = 18; x <= 22; ++x) EXPECT_EQ(255, Pixel(x, 30).g) << "x " << x;
  EXPECT_EQ(0, Pixel(17, 30).g);
  EXPECT_EQ(0, Pixel(23, 30).g);
  EXPECT_EQ(255, Pixel(20, 28).g);
  EXPECT_EQ(0, Pixel(20, 27).g);
}

TEST_F(GlDeviceTest, PretransformedQuadCoversExactPixelsAndTexels) {
  // D3D9 puts pixel centres on integers: a quad from -0.5 to 3.5 covers pixels 0..3, and
  // with linear filtering each pixel shows exactly one texel.
  std::vector<DWORD> texels(16);
  for (int i = 0; i < 16; ++i) texels[i] = 0xff000000 | (i * 16 << 16) | ((255 - i * 16) << 8);
  IDirect3DTexture9* tex = MakeTexture(4, 4, texels);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
  dev_->SetTexture(0, tex);
  dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  const VertexRhwColorTex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xffffffff, 0, 0},
                                     {3.5f, -0.5f, 0.5f, 1, 0xffffffff, 1, 0},
                                     {-0.5f, 3.5f, 0.5f, 1, 0xffffffff, 0, 1},
                                     {3.5f, 3.5f, 0.5f, 1, 0xffffffff, 1, 1}};
  dev_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0]));
  ReadBackBuffer();
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_RGB_NEAR(FromColor(texels[y * 4 + x]), Pixel(x, y), 1) << "pixel " << x << "," << y;
    }
  }
  EXPECT_RGB_NEAR(FromColor(kBlue), Pixel(4, 0), 0);
  EXPECT_RGB_NEAR(FromColor(kBlue), Pixel(0, 4), 0);
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(GlDeviceTest, ViewportLimitsDrawing) {
  UseClipSpace();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  D3DVIEWPORT9 vp{32, 24, 32, 24, 0, 1};
  ASSERT_EQ(D3D_OK, dev_->SetViewport(&vp));
  DrawClipQuad(-1, -1, 0, 1, 0.5f, kRed);  // left half of the viewport
  ReadBackBuffer();
  EXPECT_EQ(255, Pixel(33, 25).r);
  EXPECT_EQ(255, Pixel(47, 47).r);
  EXPECT_EQ(0, Pixel(48, 30).r) << "the viewport's right half";
  EXPECT_EQ(0, Pixel(31, 30).r) << "left of the viewport";
  EXPECT_EQ(0, Pixel(40, 23).r) << "above the viewport";
}

TEST_F(GlDeviceTest, RenderTargetFilledThenSampledUpright) {
  IDirect3DTexture9* rt = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                        D3DPOOL_DEFAULT, &rt, nullptr));
  IDirect3DSurface9* depth = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateDepthStencilSurface(32, 32, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0,
                                                    TRUE, &depth, nullptr));
  IDirect3DSurface9 *level = nullptr, *backBuffer = nullptr, *autoDepth = nullptr;
  rt->GetSurfaceLevel(0, &level);
  dev_->GetRenderTarget(0, &backBuffer);
  dev_->GetDepthStencilSurface(&autoDepth);

  UseClipSpace();
  ASSERT_EQ(D3D_OK, dev_->SetRenderTarget(0, level));
  ASSERT_EQ(D3D_OK, dev_->SetDepthStencilSurface(depth));
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kGreen, 1.0f, 0);
  dev_->BeginScene();
  DrawClipQuad(-1, 0, 0, 1, 0.5f, kRed);  // top-left quarter
  dev_->EndScene();
  std::vector<uint8_t> rgba;
  UINT w = 0, h = 0;
  ASSERT_EQ(D3D_OK, VexilReadSurfaceRGBA(level, &rgba, &w, &h));
  EXPECT_EQ(255, rgba[(4 * 32 + 4) * 4 + 0]) << "row 0 of the target is its top";
  EXPECT_EQ(255, rgba[(28 * 32 + 28) * 4 + 1]);

  dev_->SetRenderTarget(0, backBuffer);
  dev_->SetDepthStencilSurface(autoDepth);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  dev_->SetTexture(0, rt);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev_->BeginScene();
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  dev_->EndScene();
  ReadBackBuffer();
  SavePng("render-target");
  EXPECT_RGB_NEAR(FromColor(kRed), Pixel(8, 8), 0) << "the target's top-left shows top-left";
  EXPECT_RGB_NEAR(FromColor(kGreen), Pixel(56, 8), 0);
  EXPECT_RGB_NEAR(FromColor(kGreen), Pixel(8, 40), 0);
  EXPECT_EQ(255, Pixel(8, 8).a);

  dev_->SetTexture(0, nullptr);
  level->Release();
  backBuffer->Release();
  autoDepth->Release();
  depth->Release();
  rt->Release();
}

void CollectFrame(const uint8_t* rgba, UINT width, UINT height, void* user) {
  auto* out = static_cast<std::vector<uint8_t>*>(user);
  out->assign(rgba, rgba + width * height * 4);
  out->push_back(static_cast<uint8_t>(width));
}

TEST_F(GlDeviceTest, PresentHandsTheFrameToTheReader) {
  std::vector<uint8_t> frame;
  ASSERT_EQ(D3D_OK, VexilSetFrameReader(dev_, CollectFrame, &frame));
  UseClipSpace();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
  DrawClipQuad(-1, 0, 1, 1, 0.5f, kRed);  // top half
  ASSERT_EQ(D3D_OK, dev_->Present(nullptr, nullptr, nullptr, nullptr));
  ASSERT_EQ(kWidth * kHeight * 4 + 1, frame.size());
  EXPECT_EQ(kWidth, frame.back());
  EXPECT_EQ(255, frame[0]) << "the reader gets the top row first";
  EXPECT_EQ(255, frame[(static_cast<size_t>(kHeight - 1) * kWidth) * 4 + 2]);
  EXPECT_EQ(255, frame[3]);
  dev_->BeginScene();
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->Present(nullptr, nullptr, nullptr, nullptr))
      << "no present inside a scene";
  dev_->EndScene();
}

}  // namespace

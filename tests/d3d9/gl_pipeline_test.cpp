// Texture-stage operations, alpha test, buffer and texture updates between draws, indexed
// draws with a base vertex, a second texture stage, program caching, and a device made on
// an application window.
#include <SDL.h>

#include <cstring>

#include "d3d9/gl/gl_device.h"
#include "gl_fixture.h"

namespace {

TEST_F(GlDeviceTest, StageOperationsAddSelectAndAlphaDisable) {
  IDirect3DTexture9* tex = MakeTexture(1, 1, {0x40204060});
  UseClipSpace();
  dev_->SetTexture(0, tex);
  dev_->SetRenderState(D3DRS_ZENABLE, FALSE);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  struct Case {
    DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    D3DCOLOR diffuse;
    Rgba expectedBeforeAlpha;
    int expectedAlpha;
    const char* what;
  };
  const Case cases[] = {
      {D3DTOP_ADD,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       D3DTOP_ADD,
       D3DTA_DIFFUSE,
       D3DTA_TEXTURE,
       0x80f01010,
       {255, 0x50, 0x70, 0},
       0xc0,
       "ADD saturates per channel"},
      {D3DTOP_SELECTARG1,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       D3DTOP_SELECTARG2,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       0x80f01010,
       {0x20, 0x40, 0x60, 0},
       0x80,
       "SELECTARG1 / SELECTARG2"},
      {D3DTOP_MODULATE,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       D3DTOP_DISABLE,
       D3DTA_TEXTURE,
       D3DTA_DIFFUSE,
       0xff808080,
       {0x10, 0x20, 0x30, 0},
       0xff,
       "ALPHAOP DISABLE keeps the diffuse alpha"},
      {D3DTOP_MODULATE,
       D3DTA_TEXTURE | D3DTA_COMPLEMENT,
       D3DTA_DIFFUSE,
       D3DTOP_SELECTARG1,
       D3DTA_TEXTURE | D3DTA_COMPLEMENT,
       D3DTA_DIFFUSE,
       0xffffffff,
       {0xdf, 0xbf, 0x9f, 0},
       0xbf,
       "COMPLEMENT takes 1 - x"},
  };
  for (const Case& c : cases) {
    dev_->SetTextureStageState(0, D3DTSS_COLOROP, c.colorOp);
    dev_->SetTextureStageState(0, D3DTSS_COLORARG1, c.colorArg1);
    dev_->SetTextureStageState(0, D3DTSS_COLORARG2, c.colorArg2);
    dev_->SetTextureStageState(0, D3DTSS_ALPHAOP, c.alphaOp);
    dev_->SetTextureStageState(0, D3DTSS_ALPHAARG1, c.alphaArg1);
    dev_->SetTextureStageState(0, D3DTSS_ALPHAARG2, c.alphaArg2);
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawClipQuad(-1, -1, 1, 1, 0.5f, c.diffuse);
    // SRCALPHA / ZERO writes colour x alpha, which shows the stage alpha too.
    const float a = c.expectedAlpha / 255.0f;
    const Rgba e = c.expectedBeforeAlpha;
    EXPECT_RGB_NEAR((Rgba{int(e.r * a + 0.5f), int(e.g * a + 0.5f), int(e.b * a + 0.5f), 255}),
                    ReadPixel(30, 20), 2)
        << c.what;
  }
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(GlDeviceTest, SecondStageModulatesTheFirst) {
  IDirect3DTexture9* red = MakeTexture(1, 1, {0xffff8040});
  IDirect3DTexture9* half = MakeTexture(1, 1, {0xff808080});
  UseClipSpace();
  dev_->SetTexture(0, red);
  dev_->SetTexture(1, half);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  dev_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  dev_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  dev_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  EXPECT_RGB_NEAR((Rgba{128, 64, 32, 255}), ReadPixel(30, 20), 1);
  dev_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  EXPECT_RGB_NEAR((Rgba{255, 128, 64, 255}), ReadPixel(30, 20), 1) << "DISABLE ends the cascade";
  dev_->SetTexture(0, nullptr);
  dev_->SetTexture(1, nullptr);
  red->Release();
  half->Release();
}

// A stage's result saturates before the next stage reads it: what went below 0 or above 1 is
// not carried on. The second stage (current + or - the texture) shows where it would be.
TEST_F(GlDeviceTest, EachStageSaturatesBeforeTheNextReadsIt) {
  IDirect3DTexture9* tex = MakeTexture(1, 1, {0xff806040});
  UseClipSpace();
  dev_->SetTexture(0, tex);
  dev_->SetTexture(1, tex);
  dev_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  struct Case {
    DWORD firstOp, secondOp;
    D3DCOLOR diffuse;
    Rgba expected;
    const char* what;
  };
  const Case cases[] = {
      // Texture - white is below 0: 0, plus the texture. Carried on, nearly black.
      {D3DTOP_SUBTRACT, D3DTOP_ADD, 0xffffffff, {0x80, 0x60, 0x40, 255}, "SUBTRACT stops at 0"},
      // Texture x white x 4 is above 1: 1, minus the texture. Carried on, 255, 255, 192.
      {D3DTOP_MODULATE4X,
       D3DTOP_SUBTRACT,
       0xffffffff,
       {127, 159, 191, 255},
       "MODULATE4X stops at 1"},
      // a + b - ab stays within [0, 1] by itself.
      {D3DTOP_ADDSMOOTH, D3DTOP_SUBTRACT, 0xff808080, {64, 80, 96, 255}, "ADDSMOOTH"},
  };
  for (const Case& c : cases) {
    dev_->SetTextureStageState(0, D3DTSS_COLOROP, c.firstOp);
    dev_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    dev_->SetTextureStageState(1, D3DTSS_COLOROP, c.secondOp);
    dev_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
    dev_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    DrawClipQuad(-1, -1, 1, 1, 0.5f, c.diffuse);
    EXPECT_RGB_NEAR(c.expected, ReadPixel(30, 20), 1) << c.what;
  }
  dev_->SetTexture(0, nullptr);
  dev_->SetTexture(1, nullptr);
  tex->Release();
}

TEST_F(GlDeviceTest, AlphaTestComparesWithTheReference) {
  UseClipSpace();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  dev_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  dev_->SetRenderState(D3DRS_ALPHAREF, 0x80);
  dev_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  DrawClipQuad(-1, -1, 0, 1, 0.5f, 0x7fff0000);  // left: alpha 127 < 128, discarded
  DrawClipQuad(0, -1, 1, 1, 0.5f, 0x80ff0000);   // right: alpha 128 passes
  ReadBackBuffer();
  EXPECT_EQ(0, Pixel(10, 20).r);
  EXPECT_EQ(255, Pixel(50, 20).r);
}

TEST_F(GlDeviceTest, BufferAndTextureUpdatesReachEachDraw) {
  UseClipSpace();
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateVertexBuffer(4 * sizeof(VertexXyzColorTex),
                                             D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0x142,
                                             D3DPOOL_DEFAULT, &vb, nullptr));
  dev_->SetFVF(0x142);
  dev_->SetStreamSource(0, vb, 0, sizeof(VertexXyzColorTex));
  auto fill = [&](float x0, float x1, D3DCOLOR color, DWORD flags) {
    VertexXyzColorTex* v = nullptr;
    ASSERT_EQ(D3D_OK, vb->Lock(0, 0, reinterpret_cast<void**>(&v), flags));
    v[0] = {x0, 1, 0.5f, color, 0, 0};
    v[1] = {x1, 1, 0.5f, color, 1, 0};
    v[2] = {x0, -1, 0.5f, color, 0, 1};
    v[3] = {x1, -1, 0.5f, color, 1, 1};
    vb->Unlock();
  };
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  // Rewritten with DISCARD between draws of one frame, as the effects do.
  fill(-1, 0, 0xffff0000, D3DLOCK_DISCARD);
  dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  fill(0, 1, 0xff00ff00, D3DLOCK_DISCARD);
  dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  ReadBackBuffer();
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), Pixel(10, 20), 0);
  EXPECT_RGB_NEAR((Rgba{0, 255, 0, 255}), Pixel(50, 20), 0);

  // A bigger buffer filled in parts: DISCARD for the first quad, NOOVERWRITE appends.
  IDirect3DVertexBuffer9* big = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateVertexBuffer(64 * sizeof(VertexXyzColorTex), D3DUSAGE_WRITEONLY,
                                             0x142, D3DPOOL_DEFAULT, &big, nullptr));
  dev_->SetStreamSource(0, big, 0, sizeof(VertexXyzColorTex));
  auto fillPart = [&](UINT first, float x0, float x1, D3DCOLOR color, DWORD flags) {
    VertexXyzColorTex* v = nullptr;
    ASSERT_EQ(D3D_OK, big->Lock(first * sizeof(VertexXyzColorTex), 4 * sizeof(VertexXyzColorTex),
                                reinterpret_cast<void**>(&v), flags));
    v[0] = {x0, 1, 0.5f, color, 0, 0};
    v[1] = {x1, 1, 0.5f, color, 1, 0};
    v[2] = {x0, -1, 0.5f, color, 0, 1};
    v[3] = {x1, -1, 0.5f, color, 1, 1};
    big->Unlock();
  };
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  for (int frame = 0; frame < 2; ++frame) {
    const D3DCOLOR left = frame ? 0xff0000ff : 0xffff0000;
    fillPart(0, -1, 0, left, D3DLOCK_DISCARD);
    dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    fillPart(4, 0, 1, 0xff00ff00, D3DLOCK_NOOVERWRITE);
    dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2);
    ReadBackBuffer();
    EXPECT_RGB_NEAR(FromColor(left), Pixel(10, 20), 0) << "frame " << frame;
    EXPECT_RGB_NEAR((Rgba{0, 255, 0, 255}), Pixel(50, 20), 0) << "frame " << frame;
  }
  dev_->SetStreamSource(0, vb, 0, sizeof(VertexXyzColorTex));
  big->Release();

  // A texture relocked after it was drawn shows its new contents.
  IDirect3DTexture9* tex = MakeTexture(1, 1, {0xff0000ff});
  dev_->SetTexture(0, tex);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  fill(-1, 1, 0xffffffff, 0);
  dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  EXPECT_RGB_NEAR((Rgba{0, 0, 255, 255}), ReadPixel(30, 20), 0);
  D3DLOCKED_RECT lr{};
  tex->LockRect(0, &lr, nullptr, 0);
  *static_cast<DWORD*>(lr.pBits) = 0xffffff00;
  tex->UnlockRect(0);
  dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  EXPECT_RGB_NEAR((Rgba{255, 255, 0, 255}), ReadPixel(30, 20), 0);
  dev_->SetTexture(0, nullptr);
  dev_->SetStreamSource(0, nullptr, 0, 0);
  tex->Release();
  vb->Release();
}

TEST_F(GlDeviceTest, IndexedDrawsHonourBaseVertexAndStartIndex) {
  UseClipSpace();
  // Vertices 0-3: a red left half; 4-7: a green right half.
  const VertexXyzColorTex verts[8] = {
      {-1, 1, 0.5f, 0xffff0000, 0, 0},  {0, 1, 0.5f, 0xffff0000, 0, 0},
      {-1, -1, 0.5f, 0xffff0000, 0, 0}, {0, -1, 0.5f, 0xffff0000, 0, 0},
      {0, 1, 0.5f, 0xff00ff00, 0, 0},   {1, 1, 0.5f, 0xff00ff00, 0, 0},
      {0, -1, 0.5f, 0xff00ff00, 0, 0},  {1, -1, 0.5f, 0xff00ff00, 0, 0}};
  const WORD indices[9] = {9, 9, 9, 0, 1, 2, 2, 1, 3};  // three unused, then one quad
  IDirect3DVertexBuffer9* vb = nullptr;
  IDirect3DIndexBuffer9* ib = nullptr;
  dev_->CreateVertexBuffer(sizeof verts, 0, 0x142, D3DPOOL_MANAGED, &vb, nullptr);
  dev_->CreateIndexBuffer(sizeof indices, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr);
  void* p = nullptr;
  vb->Lock(0, 0, &p, 0);
  std::memcpy(p, verts, sizeof verts);
  vb->Unlock();
  ib->Lock(0, 0, &p, 0);
  std::memcpy(p, indices, sizeof indices);
  ib->Unlock();
  dev_->SetFVF(0x142);
  dev_->SetStreamSource(0, vb, 0, sizeof(VertexXyzColorTex));
  dev_->SetIndices(ib);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  EXPECT_EQ(D3D_OK, dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 3, 2));
  ReadBackBuffer();
  EXPECT_RGB_NEAR((Rgba{0, 255, 0, 255}), Pixel(50, 20), 0) << "base vertex 4 picks the green quad";
  EXPECT_RGB_NEAR((Rgba{0, 0, 0, 255}), Pixel(10, 20), 0);
  dev_->SetStreamSource(0, nullptr, 0, 0);
  dev_->SetIndices(nullptr);
  vb->Release();
  ib->Release();
}

TEST_F(GlDeviceTest, FramesAfterWarmUpCompileNothing) {
  auto* device = dynamic_cast<vexil::d3d9::GlDevice*>(dev_);
  ASSERT_NE(nullptr, device);
  auto frame = [&] {
    UseClipSpace();
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    dev_->SetRenderState(D3DRS_FOGENABLE, FALSE);
    DrawClipQuad(-1, -1, 0, 1, 0.5f, 0xffff0000);
    dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);  // GL state only
    DrawClipQuad(0, -1, 1, 1, 0.5f, 0x80ff0000);
    dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    dev_->SetRenderState(D3DRS_FOGENABLE, TRUE);  // a second program
    DrawClipQuad(0, -1, 1, 1, 0.5f, 0x80ff0000);
    dev_->Present(nullptr, nullptr, nullptr, nullptr);
  };
  frame();
  const size_t compiled = device->ProgramCompileCount();
  EXPECT_EQ(2u, compiled);
  for (int i = 0; i < 3; ++i) frame();
  EXPECT_EQ(compiled, device->ProgramCompileCount());
}

TEST(GlWindowDeviceTest, DeviceOnAnApplicationWindowTakesItsSizeAndPresents) {
  ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO)) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("test", 0, 0, 96, 72, SDL_WINDOW_OPENGL);
  ASSERT_NE(nullptr, window) << SDL_GetError();
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d);
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.BackBufferFormat = D3DFMT_UNKNOWN;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &pp, &dev));
  EXPECT_EQ(96u, pp.BackBufferWidth) << "a zero size takes the window's";
  EXPECT_EQ(72u, pp.BackBufferHeight);
  EXPECT_EQ(D3DFMT_X8R8G8B8, pp.BackBufferFormat);
  std::vector<uint8_t> frame;
  VexilSetFrameReader(
      dev,
      [](const uint8_t* rgba, UINT w, UINT h, void* user) {
        static_cast<std::vector<uint8_t>*>(user)->assign(rgba, rgba + w * h * 4);
      },
      &frame);
  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff00ff00, 1.0f, 0);
  EXPECT_EQ(D3D_OK, dev->Present(nullptr, nullptr, nullptr, nullptr));
  ASSERT_EQ(96u * 72u * 4u, frame.size());
  EXPECT_EQ(255, frame[1]);
  EXPECT_EQ(0u, dev->Release());
  EXPECT_EQ(0u, d3d->Release());
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(GlWindowDeviceTest, FullScreenDeviceTakesTheDisplayAndGivesItBack) {
  ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO)) << SDL_GetError();
  SDL_Window* window = SDL_CreateWindow("test", 0, 0, 64, 48, SDL_WINDOW_OPENGL);
  ASSERT_NE(nullptr, window) << SDL_GetError();
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 128;
  pp.BackBufferHeight = 96;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 3;
  pp.Windowed = FALSE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &pp, &dev));
  EXPECT_NE(0u, SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
  IDirect3DSurface9* bb = nullptr;
  ASSERT_EQ(D3D_OK, dev->GetBackBuffer(0, 2, D3DBACKBUFFER_TYPE_MONO, &bb));
  D3DSURFACE_DESC desc{};
  bb->GetDesc(&desc);
  EXPECT_EQ(128u, desc.Width) << "the back buffer keeps the asked size";
  bb->Release();
  dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff0000ff, 1.0f, 0);
  EXPECT_EQ(D3D_OK, dev->Present(nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(0u, dev->Release());
  EXPECT_EQ(0u, SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
  EXPECT_EQ(0u, d3d->Release());
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

namespace {

// Every branch of the program generator must produce GLSL the driver accepts: draw once
// under each listed state variation (and the effects' own combinations) and expect D3D_OK.
TEST_F(GlDeviceTest, GeneratedProgramsBuildForEveryFeature) {
  IDirect3DTexture9* tex = MakeTexture(1, 1, {0xffffffff});
  struct Variation {
    const char* what;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> render;
    std::vector<std::pair<D3DTEXTURESTAGESTATETYPE, DWORD>> stage0;
    D3DLIGHTTYPE light;
    DWORD fvf;
  };
  const float one = 1.0f;
  DWORD oneBits;
  std::memcpy(&oneBits, &one, 4);
  const Variation variations[] = {
      {"twister: spheremap, specular, normalize",
       {{D3DRS_SPECULARENABLE, TRUE},
        {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL},
        {D3DRS_NORMALIZENORMALS, TRUE}},
       {{D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_SPHEREMAP}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"spline tunnel: point light, table fog",
       {{D3DRS_FOGENABLE, TRUE}, {D3DRS_FOGTABLEMODE, D3DFOG_LINEAR}},
       {},
       D3DLIGHT_POINT,
       0x152},
      {"metaballs", {{D3DRS_NORMALIZENORMALS, TRUE}}, {}, D3DLIGHT_DIRECTIONAL, 0x112},
      {"klutt: flat, wireframe, alpha disabled",
       {{D3DRS_SHADEMODE, D3DSHADE_FLAT}, {D3DRS_FILLMODE, D3DFILL_WIREFRAME}},
       {{D3DTSS_COLORARG1, D3DTA_DIFFUSE},
        {D3DTSS_COLORARG2, D3DTA_TEXTURE},
        {D3DTSS_ALPHAOP, D3DTOP_DISABLE}},
       D3DLIGHT_DIRECTIONAL,
       0x112},
      {"spot light, non-local viewer", {{D3DRS_LOCALVIEWER, FALSE}}, {}, D3DLIGHT_SPOT, 0x152},
      {"vertex fog exp2, range",
       {{D3DRS_FOGENABLE, TRUE}, {D3DRS_FOGVERTEXMODE, D3DFOG_EXP2}, {D3DRS_RANGEFOGENABLE, TRUE}},
       {},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"table fog exp",
       {{D3DRS_FOGENABLE, TRUE}, {D3DRS_FOGTABLEMODE, D3DFOG_EXP}},
       {},
       D3DLIGHT_DIRECTIONAL,
       0x142},
      {"fog factor from specular alpha",
       {{D3DRS_FOGENABLE, TRUE}, {D3DRS_LIGHTING, FALSE}},
       {},
       D3DLIGHT_DIRECTIONAL,
       D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1},
      {"pre-transformed with table fog",
       {{D3DRS_FOGENABLE, TRUE}, {D3DRS_FOGTABLEMODE, D3DFOG_LINEAR}},
       {},
       D3DLIGHT_DIRECTIONAL,
       0x144},
      {"point sprites with scale",
       {{D3DRS_POINTSPRITEENABLE, TRUE},
        {D3DRS_POINTSCALEENABLE, TRUE},
        {D3DRS_POINTSCALE_A, oneBits}},
       {},
       D3DLIGHT_DIRECTIONAL,
       D3DFVF_XYZ | D3DFVF_PSIZE | D3DFVF_DIFFUSE},
      {"alpha test and colour-vertex off",
       {{D3DRS_ALPHATESTENABLE, TRUE}, {D3DRS_ALPHAFUNC, D3DCMP_NEVER}, {D3DRS_COLORVERTEX, FALSE}},
       {},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"camera-space texgen",
       {},
       {{D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"camera-space normal",
       {},
       {{D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"texture coordinate set missing",
       {},
       {{D3DTSS_TEXCOORDINDEX, 3}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"dot product, temp result",
       {},
       {{D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3}, {D3DTSS_RESULTARG, D3DTA_TEMP}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"lerp and multiply-add",
       {},
       {{D3DTSS_COLOROP, D3DTOP_LERP},
        {D3DTSS_ALPHAOP, D3DTOP_MULTIPLYADD},
        {D3DTSS_COLORARG0, D3DTA_TFACTOR}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"blend ops",
       {},
       {{D3DTSS_COLOROP, D3DTOP_BLENDTEXTUREALPHAPM}, {D3DTSS_ALPHAOP, D3DTOP_BLENDCURRENTALPHA}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
      {"modulate-add family",
       {},
       {{D3DTSS_COLOROP, D3DTOP_MODULATEINVCOLOR_ADDALPHA},
        {D3DTSS_COLORARG1, D3DTA_SPECULAR | D3DTA_ALPHAREPLICATE}},
       D3DLIGHT_DIRECTIONAL,
       0x152},
  };
  for (const Variation& v : variations) {
    SCOPED_TRACE(v.what);
    D3DMATRIX identity{};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
    dev_->SetTransform(D3DTS_PROJECTION, &identity);
    D3DLIGHT9 light{};
    light.Type = v.light;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    light.Range = 100;
    light.Attenuation0 = 1;
    light.Theta = 0.5f;
    light.Phi = 1.0f;
    light.Falloff = 1;
    dev_->SetLight(0, &light);
    dev_->LightEnable(0, TRUE);
    dev_->SetTexture(0, tex);
    for (const auto& rs : v.render) dev_->SetRenderState(rs.first, rs.second);
    for (const auto& ts : v.stage0) dev_->SetTextureStageState(0, ts.first, ts.second);
    float vertex[16] = {0, 0, 0.5f, 1, 0, 0, -1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    dev_->SetFVF(v.fvf);
    EXPECT_EQ(D3D_OK, dev_->DrawPrimitiveUP(D3DPT_POINTLIST, 1, vertex, 64));
    // Back to the defaults for the next variation.
    for (const auto& rs : v.render) dev_->SetRenderState(rs.first, 0);
    dev_->SetRenderState(D3DRS_LIGHTING, TRUE);
    dev_->SetRenderState(D3DRS_COLORVERTEX, TRUE);
    dev_->SetRenderState(D3DRS_LOCALVIEWER, TRUE);
    dev_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    dev_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    dev_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
    dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    dev_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    dev_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    dev_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    dev_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    dev_->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_CURRENT);
  }
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

}  // namespace

namespace {

TEST(GlLockableBackBufferTest, LockReadsTheFrameAndUnlockWritesItBack) {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 16;
  pp.BackBufferHeight = 8;
  pp.Windowed = TRUE;
  pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(D3D_OK, d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev));
  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff112233, 1.0f, 0);
  IDirect3DSurface9* bb = nullptr;
  dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
  D3DLOCKED_RECT lr{};
  ASSERT_EQ(D3D_OK, bb->LockRect(&lr, nullptr, 0));
  auto* row0 = static_cast<DWORD*>(lr.pBits);
  EXPECT_EQ(0x112233u, row0[5] & 0xffffff) << "the lock sees the cleared frame";
  row0[0] = 0xffff0000;  // top-left pixel red
  ASSERT_EQ(D3D_OK, bb->UnlockRect());
  std::vector<uint8_t> rgba;
  UINT w = 0, h = 0;
  ASSERT_EQ(D3D_OK, VexilReadSurfaceRGBA(bb, &rgba, &w, &h));
  EXPECT_EQ(255, rgba[0]);
  EXPECT_EQ(0, rgba[1]);
  EXPECT_EQ(0x11, rgba[4]) << "its neighbour kept the clear colour";
  bb->Release();
  EXPECT_EQ(0u, dev->Release());
  EXPECT_EQ(0u, d3d->Release());
}

}  // namespace

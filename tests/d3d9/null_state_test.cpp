// State mirror through the null device: D3D9's defaults, get/set round trips, rejection of
// values D3D9 does not define, transforms, lights, material and viewport.
#include <cstring>

#include "null_fixture.h"

namespace {

DWORD F(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

struct RenderDefault {
  D3DRENDERSTATETYPE state;
  DWORD value;
};

TEST_F(NullDeviceTest, RenderStatesStartAtD3D9Defaults) {
  const RenderDefault kDefaults[] = {
      {D3DRS_ZENABLE, D3DZB_TRUE},  // an automatic depth buffer was asked for
      {D3DRS_FILLMODE, D3DFILL_SOLID},
      {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRS_ZWRITEENABLE, TRUE},
      {D3DRS_ALPHATESTENABLE, FALSE},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {D3DRS_CULLMODE, D3DCULL_CCW},
      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
      {D3DRS_ALPHABLENDENABLE, FALSE},
      {D3DRS_FOGENABLE, FALSE},
      {D3DRS_SPECULARENABLE, FALSE},
      {D3DRS_FOGCOLOR, 0},
      {D3DRS_FOGTABLEMODE, D3DFOG_NONE},
      {D3DRS_FOGSTART, F(0.0f)},
      {D3DRS_FOGEND, F(1.0f)},
      {D3DRS_LIGHTING, TRUE},
      {D3DRS_AMBIENT, 0},
      {D3DRS_COLORVERTEX, TRUE},
      {D3DRS_LOCALVIEWER, TRUE},
      {D3DRS_NORMALIZENORMALS, FALSE},
      {D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
      {D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2},
      {D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
      {D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
      {D3DRS_POINTSIZE, F(1.0f)},
      {D3DRS_COLORWRITEENABLE, 0xf},
      {D3DRS_BLENDOP, D3DBLENDOP_ADD},
      {D3DRS_TEXTUREFACTOR, 0xffffffff},
      {D3DRS_STENCILMASK, 0xffffffff},
  };
  for (const auto& d : kDefaults) {
    DWORD value = 0xdeadbeef;
    ASSERT_EQ(D3D_OK, dev_->GetRenderState(d.state, &value)) << "state " << d.state;
    EXPECT_EQ(d.value, value) << "default of render state " << d.state;
  }
}

TEST_F(NullDeviceTest, ZEnableIsFalseWithoutAutomaticDepthBuffer) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 64;
  pp.BackBufferHeight = 64;
  pp.Windowed = TRUE;
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(D3D_OK, d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev));
  DWORD z = 7;
  dev->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(DWORD(D3DZB_FALSE), z);
  IDirect3DSurface9* ds = reinterpret_cast<IDirect3DSurface9*>(1);
  EXPECT_EQ(D3DERR_NOTFOUND, dev->GetDepthStencilSurface(&ds));
  EXPECT_EQ(nullptr, ds);
  EXPECT_EQ(0u, dev->Release());
}

TEST_F(NullDeviceTest, SamplerAndStageStatesStartAtD3D9Defaults) {
  for (DWORD s = 0; s < 16; ++s) {
    DWORD v = 0;
    dev_->GetSamplerState(s, D3DSAMP_ADDRESSU, &v);
    EXPECT_EQ(DWORD(D3DTADDRESS_WRAP), v);
    dev_->GetSamplerState(s, D3DSAMP_ADDRESSV, &v);
    EXPECT_EQ(DWORD(D3DTADDRESS_WRAP), v);
    dev_->GetSamplerState(s, D3DSAMP_MAGFILTER, &v);
    EXPECT_EQ(DWORD(D3DTEXF_POINT), v);
    dev_->GetSamplerState(s, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(DWORD(D3DTEXF_POINT), v);
    dev_->GetSamplerState(s, D3DSAMP_MIPFILTER, &v);
    EXPECT_EQ(DWORD(D3DTEXF_NONE), v);
  }
  for (DWORD stage = 0; stage < 8; ++stage) {
    DWORD v = 0;
    dev_->GetTextureStageState(stage, D3DTSS_COLOROP, &v);
    EXPECT_EQ(DWORD(stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE), v) << "stage " << stage;
    dev_->GetTextureStageState(stage, D3DTSS_ALPHAOP, &v);
    EXPECT_EQ(DWORD(stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE), v) << "stage " << stage;
    dev_->GetTextureStageState(stage, D3DTSS_COLORARG1, &v);
    EXPECT_EQ(DWORD(D3DTA_TEXTURE), v);
    dev_->GetTextureStageState(stage, D3DTSS_COLORARG2, &v);
    EXPECT_EQ(DWORD(D3DTA_CURRENT), v);
    dev_->GetTextureStageState(stage, D3DTSS_ALPHAARG1, &v);
    EXPECT_EQ(DWORD(D3DTA_TEXTURE), v);
    dev_->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &v);
    EXPECT_EQ(stage, v);
  }
}

TEST_F(NullDeviceTest, StatesReadBackWhatWasLastSet) {
  EXPECT_EQ(D3D_OK, dev_->SetRenderState(D3DRS_LIGHTING, FALSE));
  EXPECT_EQ(D3D_OK, dev_->SetRenderState(D3DRS_AMBIENT, 0x00222222));
  EXPECT_EQ(D3D_OK, dev_->SetRenderState(D3DRS_FOGEND, F(42.5f)));
  EXPECT_EQ(D3D_OK, dev_->SetSamplerState(3, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR));
  EXPECT_EQ(D3D_OK, dev_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_SPHEREMAP));
  EXPECT_EQ(D3D_OK, dev_->SetFVF(0x152));
  DWORD v = 0;
  dev_->GetRenderState(D3DRS_LIGHTING, &v);
  EXPECT_EQ(DWORD(FALSE), v);
  dev_->GetRenderState(D3DRS_AMBIENT, &v);
  EXPECT_EQ(0x00222222u, v);
  dev_->GetRenderState(D3DRS_FOGEND, &v);
  EXPECT_EQ(F(42.5f), v);
  dev_->GetSamplerState(3, D3DSAMP_MAGFILTER, &v);
  EXPECT_EQ(DWORD(D3DTEXF_LINEAR), v);
  dev_->GetSamplerState(2, D3DSAMP_MAGFILTER, &v);
  EXPECT_EQ(DWORD(D3DTEXF_POINT), v) << "other samplers keep their own state";
  dev_->GetTextureStageState(0, D3DTSS_TEXCOORDINDEX, &v);
  EXPECT_EQ(DWORD(D3DTSS_TCI_SPHEREMAP), v);
  dev_->GetFVF(&v);
  EXPECT_EQ(0x152u, v);
}

TEST_F(NullDeviceTest, UndefinedStatesAndIndicesAreRejected) {
  DWORD v = 0;
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetRenderState(D3DRENDERSTATETYPE(0), 1));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetRenderState(D3DRENDERSTATETYPE(10), 1));  // retired
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetRenderState(D3DRENDERSTATETYPE(210), 1));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->GetRenderState(D3DRENDERSTATETYPE(5000), &v));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->GetRenderState(D3DRS_LIGHTING, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetSamplerState(16, D3DSAMP_MAGFILTER, 2));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetSamplerState(0, D3DSAMPLERSTATETYPE(14), 2));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetTextureStageState(8, D3DTSS_COLOROP, 2));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(12), 2));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetTransform(D3DTRANSFORMSTATETYPE(1), nullptr));
}

TEST_F(NullDeviceTest, TransformsStartIdentityAndRoundTrip) {
  D3DMATRIX m{};
  ASSERT_EQ(D3D_OK, dev_->GetTransform(D3DTS_WORLD, &m));
  EXPECT_EQ(1.0f, m._11);
  EXPECT_EQ(1.0f, m._44);
  EXPECT_EQ(0.0f, m._12);
  D3DMATRIX view{};
  for (int i = 0; i < 16; ++i) (&view._11)[i] = float(i + 1);
  ASSERT_EQ(D3D_OK, dev_->SetTransform(D3DTS_VIEW, &view));
  D3DMATRIX back{};
  dev_->GetTransform(D3DTS_VIEW, &back);
  EXPECT_EQ(0, std::memcmp(&view, &back, sizeof view));
  dev_->GetTransform(D3DTS_PROJECTION, &back);
  EXPECT_EQ(1.0f, back._11) << "setting the view leaves the projection alone";

  // MultiplyTransform premultiplies: new = M * current.
  D3DMATRIX scale{};
  scale._11 = 2, scale._22 = 2, scale._33 = 2, scale._44 = 1;
  D3DMATRIX translate{};
  translate._11 = translate._22 = translate._33 = translate._44 = 1;
  translate._41 = 5;
  dev_->SetTransform(D3DTS_WORLD, &translate);
  dev_->MultiplyTransform(D3DTS_WORLD, &scale);
  dev_->GetTransform(D3DTS_WORLD, &back);
  EXPECT_EQ(2.0f, back._11);
  EXPECT_EQ(5.0f, back._41) << "scale applied first, then the translation";
}

TEST_F(NullDeviceTest, LightsMaterialAndViewportRoundTrip) {
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {1, 0.5f, 0.25f, 1};
  light.Position = {1, 2, 3};
  light.Range = 1000;
  light.Attenuation1 = 0.5f;
  ASSERT_EQ(D3D_OK, dev_->SetLight(3, &light));
  D3DLIGHT9 back{};
  ASSERT_EQ(D3D_OK, dev_->GetLight(3, &back));
  EXPECT_EQ(0, std::memcmp(&light, &back, sizeof light));
  BOOL on = TRUE;
  ASSERT_EQ(D3D_OK, dev_->GetLightEnable(3, &on));
  EXPECT_FALSE(on) << "SetLight does not enable";
  dev_->LightEnable(3, TRUE);
  dev_->GetLightEnable(3, &on);
  EXPECT_TRUE(on);
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->GetLight(2, &back)) << "a light never set";

  // Enabling a light never set creates D3D9's default white directional light.
  ASSERT_EQ(D3D_OK, dev_->LightEnable(7, TRUE));
  ASSERT_EQ(D3D_OK, dev_->GetLight(7, &back));
  EXPECT_EQ(D3DLIGHT_DIRECTIONAL, back.Type);
  EXPECT_EQ(1.0f, back.Diffuse.r);
  EXPECT_EQ(1.0f, back.Direction.z);

  D3DMATERIAL9 mat{};
  dev_->GetMaterial(&mat);
  EXPECT_EQ(0.0f, mat.Diffuse.r) << "default material is all zeros";
  mat.Diffuse = {0.3f, 0.3f, 0.3f, 0.3f};
  mat.Power = 20;
  dev_->SetMaterial(&mat);
  D3DMATERIAL9 mat2{};
  dev_->GetMaterial(&mat2);
  EXPECT_EQ(0, std::memcmp(&mat, &mat2, sizeof mat));

  D3DVIEWPORT9 vp{};
  dev_->GetViewport(&vp);
  EXPECT_EQ(320u, vp.Width);
  EXPECT_EQ(240u, vp.Height);
  EXPECT_EQ(1.0f, vp.MaxZ);
  D3DVIEWPORT9 half{10, 20, 100, 50, 0.0f, 1.0f};
  EXPECT_EQ(D3D_OK, dev_->SetViewport(&half));
  dev_->GetViewport(&vp);
  EXPECT_EQ(10u, vp.X);
  EXPECT_EQ(50u, vp.Height);
  D3DVIEWPORT9 tooBig{300, 0, 100, 10, 0.0f, 1.0f};
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetViewport(&tooBig)) << "must fit the target";
}

TEST_F(NullDeviceTest, AdapterModesAndDisplayMode) {
  const UINT n = d3d_->GetAdapterModeCount(D3DADAPTER_DEFAULT, D3DFMT_X8R8G8B8);
  ASSERT_EQ(5u, n);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(D3D_OK, d3d_->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 1, &mode));
  EXPECT_EQ(800u, mode.Width);
  EXPECT_EQ(60u, mode.RefreshRate);
  EXPECT_EQ(D3DERR_INVALIDCALL, d3d_->EnumAdapterModes(0, D3DFMT_X8R8G8B8, n, &mode));
  EXPECT_EQ(0u, d3d_->GetAdapterModeCount(0, D3DFMT_R5G6B5));
  ASSERT_EQ(D3D_OK, d3d_->GetAdapterDisplayMode(0, &mode));
  EXPECT_EQ(1920u, mode.Width);

  const D3DDISPLAYMODE custom[] = {{1024, 768, 85, D3DFMT_X8R8G8B8}};
  IDirect3D9* d3d = VexilCreateNullDirect3D9Ex(custom, 1, &custom[0]);
  EXPECT_EQ(1u, d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8));
  d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 0, &mode);
  EXPECT_EQ(85u, mode.RefreshRate);
  EXPECT_EQ(0u, d3d->Release());
}

TEST_F(NullDeviceTest, ArmedFailuresAreReportedOnce) {
  ASSERT_EQ(D3D_OK, VexilNullFailNext(dev_, VEXIL_FAIL_BEGINSCENE, 1));
  EXPECT_TRUE(FAILED(dev_->BeginScene()));
  EXPECT_EQ(D3D_OK, dev_->BeginScene());
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->BeginScene()) << "no nested scenes";
  EXPECT_EQ(D3D_OK, dev_->EndScene());
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->EndScene());

  VexilNullFailNext(d3d_, VEXIL_FAIL_GETADAPTERDISPLAYMODE, 1);
  D3DDISPLAYMODE mode{};
  EXPECT_TRUE(FAILED(d3d_->GetAdapterDisplayMode(0, &mode)));
  EXPECT_EQ(D3D_OK, d3d_->GetAdapterDisplayMode(0, &mode));

  VexilNullFailNext(d3d_, VEXIL_FAIL_CREATEDEVICE, 1);
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  IDirect3DDevice9* dev = nullptr;
  EXPECT_TRUE(FAILED(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev)));
  EXPECT_EQ(nullptr, dev);
}

}  // namespace

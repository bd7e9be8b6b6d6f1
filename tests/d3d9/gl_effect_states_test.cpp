// Fixed-function behaviours the zoom blur, the twister and the torus tunnel lean on, checked
// by pixels: texture addressing beyond 0..1, lighting of vertices without a normal (ambient
// only), sphere-map coordinates from normals normalised on request, and the specular colour
// taken from the material when the source says so.
#include <cmath>
#include <cstring>

#include "gl_fixture.h"

namespace {

struct VertexXyzNormalSpecular {  // FVF 0x092: position, normal, specular colour
  float x, y, z, nx, ny, nz;
  DWORD specular;
};

using GlEffectStatesTest = GlDeviceTest;

TEST_F(GlEffectStatesTest, AddressModesDecideWhatLiesBeyondOne) {
  // Two texels, red and green, point sampled; u runs 0..2 across the screen.
  IDirect3DTexture9* tex = MakeTexture(2, 1, {0xffff0000, 0xff00ff00});
  UseClipSpace();
  dev_->SetTexture(0, tex);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  const struct {
    DWORD mode;
    Rgba quarters[4];
    const char* what;
  } cases[] = {
      {D3DTADDRESS_WRAP,
       {{255, 0, 0, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {0, 255, 0, 255}},
       "WRAP repeats"},
      {D3DTADDRESS_CLAMP,
       {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 255, 0, 255}, {0, 255, 0, 255}},
       "CLAMP holds the edge texel"},
      {D3DTADDRESS_MIRROR,
       {{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}},
       "MIRROR reflects"},
  };
  for (const auto& c : cases) {
    dev_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.mode);
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff, 0, 0, 2, 1);
    ReadBackBuffer();
    for (int q = 0; q < 4; ++q) {
      EXPECT_RGB_NEAR(c.quarters[q], Pixel(q * 16 + 8, 24), 0) << c.what << ", quarter " << q;
    }
  }
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(GlEffectStatesTest, LitVerticesWithoutANormalTakeTheMaterialAmbientOnly) {
  // A white texture modulated with the lit colour: material ambient 0.5 times (global 0x40
  // plus the enabled light's ambient 0.25); the light's diffuse finds no normal.
  IDirect3DTexture9* tex = MakeTexture(1, 1, {0xffffffff});
  UseClipSpace();
  dev_->SetRenderState(D3DRS_LIGHTING, TRUE);
  dev_->SetRenderState(D3DRS_AMBIENT, 0x00404040);
  D3DMATERIAL9 material{};
  material.Ambient = {0.5f, 0.5f, 0.5f, 1.0f};
  material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  dev_->SetMaterial(&material);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Ambient = {0.25f, 0.25f, 0.25f, 1};
  light.Direction = {0, 0, 1};
  dev_->SetLight(0, &light);
  dev_->LightEnable(0, TRUE);
  dev_->SetTexture(0, tex);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  dev_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  const int grey = static_cast<int>(std::lround(0.5f * (64 / 255.0f + 0.25f) * 255.0f));
  EXPECT_RGB_NEAR((Rgba{grey, grey, grey, 255}), ReadPixel(32, 24), 1);

  // With the default material (all zero) the same draw is black.
  const D3DMATERIAL9 none{};
  dev_->SetMaterial(&none);
  DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
  EXPECT_RGB_NEAR((Rgba{0, 0, 0, 255}), ReadPixel(32, 24), 0);
  dev_->LightEnable(0, FALSE);
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(GlEffectStatesTest, SphereMapUsesNormalisedNormalsWhenAsked) {
  // A 5 x 5 texture whose texel (x, y) has red 50x + 20 and green 50y + 20, point sampled.
  std::vector<DWORD> texels(25);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x) {
      texels[y * 5 + x] = 0xff000000 | ((50 * x + 20) << 16) | ((50 * y + 20) << 8);
    }
  }
  IDirect3DTexture9* tex = MakeTexture(5, 5, texels);
  UseOrtho(2000);
  dev_->SetRenderState(D3DRS_LIGHTING, FALSE);
  dev_->SetTexture(0, tex);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_SPHEREMAP);
  dev_->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  // Three times the unit normal (0.48, 0.36, -0.8): normalised, it reflects the far eye
  // vector (0, 0, 1) to texel (4, 3), as the unit normal does.
  DrawNormalQuad(1000, 3 * 0.48f, 3 * 0.36f, 3 * -0.8f);
  EXPECT_RGB_NEAR(FromColor(texels[3 * 5 + 4]), ReadPixel(32, 24), 0);
  dev_->SetRenderState(D3DRS_NORMALIZENORMALS, FALSE);
  dev_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(GlEffectStatesTest, SpecularComesFromTheMaterialWhenTheSourceSaysSo) {
  // Vertices carry a black specular colour; the material's is white. Light from the viewer:
  // N.L = 1 and N.H = 1, so the highlight is the specular colour itself.
  UseOrtho(10);
  dev_->SetRenderState(D3DRS_LIGHTING, TRUE);
  dev_->SetRenderState(D3DRS_AMBIENT, 0);
  dev_->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  dev_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  D3DMATERIAL9 material{};
  material.Diffuse = {0.25f, 0.25f, 0.25f, 1.0f};
  material.Specular = {0.5f, 0.5f, 0.5f, 1.0f};
  material.Power = 20;
  dev_->SetMaterial(&material);
  dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = light.Specular = {1, 1, 1, 1};
  light.Direction = {0, 0, 1};
  dev_->SetLight(0, &light);
  dev_->LightEnable(0, TRUE);
  const VertexXyzNormalSpecular quad[4] = {{-1, 1, 5, 0, 0, -1, 0xff000000},
                                           {1, 1, 5, 0, 0, -1, 0xff000000},
                                           {-1, -1, 5, 0, 0, -1, 0xff000000},
                                           {1, -1, 5, 0, 0, -1, 0xff000000}};
  dev_->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_SPECULAR);
  for (DWORD source : {DWORD(D3DMCS_MATERIAL), DWORD(D3DMCS_COLOR2)}) {
    dev_->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, source);
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    EXPECT_EQ(D3D_OK, dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0])));
    const int level = source == D3DMCS_MATERIAL ? 64 + 128 : 64;
    EXPECT_RGB_NEAR((Rgba{level, level, level, 255}), ReadPixel(32, 24), 1)
        << (source == D3DMCS_MATERIAL ? "the material's specular" : "the vertex's black");
  }
  dev_->LightEnable(0, FALSE);
}

}  // namespace

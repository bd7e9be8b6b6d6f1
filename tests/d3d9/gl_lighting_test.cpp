// Fixed-function lighting, shading, fog and texture-coordinate generation on the GL device,
// checked against D3D9's formulas evaluated here by hand.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "gl_fixture.h"

namespace {

DWORD Bits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

int ToByte(float v) {
  return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

using GlLightingTest = GlDeviceTest;

TEST_F(GlLightingTest, DirectionalLightWithAmbientSpecularAndEmissive) {
  UseOrtho(10);
  D3DMATERIAL9 mat{};
  mat.Diffuse = {0.5f, 0.4f, 0.3f, 1.0f};
  mat.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
  mat.Specular = {0.6f, 0.6f, 0.6f, 1.0f};
  mat.Emissive = {0.1f, 0.0f, 0.0f, 0.0f};
  mat.Power = 10;
  dev_->SetMaterial(&mat);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {0.8f, 0.8f, 0.8f, 1};
  light.Ambient = {0.25f, 0.25f, 0.25f, 1};
  light.Specular = {0.5f, 0.5f, 0.5f, 1};
  light.Direction = {0.8f, 0.0f, 0.6f};
  light.Range = 1000;
  dev_->SetLight(0, &light);
  dev_->LightEnable(0, TRUE);
  dev_->SetRenderState(D3DRS_AMBIENT, 0x00404040);
  dev_->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  dev_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawNormalQuad(5, 0, 0, -1);

  // N = (0,0,-1), L = -dir = (-0.8,0,-0.6): N.L = 0.6. Non-local viewer: V = (0,0,-1),
  // H = normalize(L + V), N.H = 2/sqrt(5) and (N.H)^10 = 0.8^5.
  const float nl = 0.6f, highlight = std::pow(0.8f, 5.0f);
  const float ambient = 64 / 255.0f + 0.25f;
  const float d[3] = {0.5f, 0.4f, 0.3f}, e[3] = {0.1f, 0, 0};
  Rgba expected;
  int* channel[3] = {&expected.r, &expected.g, &expected.b};
  for (int c = 0; c < 3; ++c) {
    const float diffuse = std::min(1.0f, e[c] + 0.2f * ambient + d[c] * 0.8f * nl);
    *channel[c] = ToByte(diffuse + 0.6f * 0.5f * highlight);
  }
  EXPECT_RGB_NEAR(expected, ReadPixel(32, 24), 2);
  SavePng("directional-light");
  GLint specularProgram = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &specularProgram);

  dev_->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  DrawNormalQuad(5, 0, 0, -1);
  GLint plainProgram = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &plainProgram);
  EXPECT_NE(0, plainProgram);
  EXPECT_EQ(specularProgram, plainProgram) << "switching specular keeps the program";
  EXPECT_RGB_NEAR((Rgba{ToByte(0.1f + 0.2f * ambient + 0.5f * 0.8f * nl),
                        ToByte(0.2f * ambient + 0.4f * 0.8f * nl),
                        ToByte(0.2f * ambient + 0.3f * 0.8f * nl), 255}),
                  ReadPixel(32, 24), 2)
      << "without SPECULARENABLE the highlight is left out";

  DrawNormalQuad(5, 0, 0, 1);
  EXPECT_RGB_NEAR(
      (Rgba{ToByte(0.1f + 0.2f * ambient), ToByte(0.2f * ambient), ToByte(0.2f * ambient), 255}),
      ReadPixel(32, 24), 2)
      << "a face turned away keeps ambient and emissive only";
}

TEST_F(GlLightingTest, SpecularAsAStageArgumentIsThereWhateverTheEnableSays) {
  UseOrtho(10);
  D3DMATERIAL9 mat{};
  mat.Diffuse = {1, 1, 1, 1};
  mat.Specular = {0.6f, 0.6f, 0.6f, 1.0f};
  mat.Power = 10;
  dev_->SetMaterial(&mat);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Specular = {0.5f, 0.5f, 0.5f, 1};
  light.Direction = {0.8f, 0.0f, 0.6f};
  dev_->SetLight(0, &light);
  dev_->LightEnable(0, TRUE);
  dev_->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_SPECULAR);
  // The same highlight as above: 0.6 * 0.5 * 0.8^5.
  const int highlight = ToByte(0.3f * std::pow(0.8f, 5.0f));
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawNormalQuad(5, 0, 0, -1);
  EXPECT_RGB_NEAR((Rgba{highlight, highlight, highlight, 255}), ReadPixel(32, 24), 2)
      << "the stage reads the highlight with SPECULARENABLE off";
  dev_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  DrawNormalQuad(5, 0, 0, -1);
  EXPECT_RGB_NEAR((Rgba{2 * highlight, 2 * highlight, 2 * highlight, 255}), ReadPixel(32, 24), 2)
      << "on, it is also added after the stages";
}

TEST_F(GlLightingTest, PointLightAttenuatesAndStopsAtItsRange) {
  UseOrtho(10);
  D3DMATERIAL9 mat{};
  mat.Diffuse = {1, 1, 1, 1};
  dev_->SetMaterial(&mat);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = {1, 1, 1, 1};
  light.Position = {0, 0, 2};
  light.Range = 100;
  light.Attenuation1 = 0.5f;
  dev_->SetLight(0, &light);
  dev_->LightEnable(0, TRUE);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawNormalQuad(5, 0, 0, -1);
  // Every corner (+-1, +-1, 5) is sqrt(11) from the light: N.L = 3/d, attenuation 1/(0.5 d).
  const float dist = std::sqrt(11.0f);
  const int lit = ToByte((3.0f / dist) / (0.5f * dist));
  EXPECT_RGB_NEAR((Rgba{lit, lit, lit, 255}), ReadPixel(32, 24), 2);

  light.Range = 3.0f;
  dev_->SetLight(0, &light);
  DrawNormalQuad(5, 0, 0, -1);
  EXPECT_RGB_NEAR((Rgba{0, 0, 0, 255}), ReadPixel(32, 24), 0) << "beyond Range: no light";
}

TEST_F(GlLightingTest, VertexColourReplacesMaterialDiffuseByDefault) {
  UseOrtho(10);
  D3DMATERIAL9 mat{};
  mat.Diffuse = {0, 0, 1, 1};
  dev_->SetMaterial(&mat);
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Direction = {0, 0, 1};
  dev_->SetLight(0, &light);
  dev_->LightEnable(0, TRUE);
  const VertexXyzNormalColorTex quad[4] = {{-1, 1, 5, 0, 0, -1, 0xffc08040, 0, 0},
                                           {1, 1, 5, 0, 0, -1, 0xffc08040, 0, 0},
                                           {-1, -1, 5, 0, 0, -1, 0xffc08040, 0, 0},
                                           {1, -1, 5, 0, 0, -1, 0xffc08040, 0, 0}};
  dev_->SetFVF(0x152);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0]));
  EXPECT_RGB_NEAR((Rgba{0xc0, 0x80, 0x40, 255}), ReadPixel(32, 24), 1);
  dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0]));
  EXPECT_RGB_NEAR((Rgba{0, 0, 255, 255}), ReadPixel(32, 24), 1) << "material as the source";
}

TEST_F(GlLightingTest, FlatShadingTakesTheFirstVertex) {
  GlDeviceTest::UseClipSpace();
  const VertexXyzColorTex tri[3] = {{-1, 1, 0.5f, 0xffff0000, 0, 0},
                                    {1, 1, 0.5f, 0xff00ff00, 0, 0},
                                    {-1, -1, 0.5f, 0xff0000ff, 0, 0}};
  dev_->SetFVF(0x142);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  dev_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(tri[0]));
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), ReadPixel(21, 16), 0);
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), Pixel(50, 2), 0) << "even next to the green corner";
  dev_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof(tri[0]));
  ReadBackBuffer();
  SavePng("gouraud");
  const Rgba centroid = Pixel(21, 16);  // a third of the way from each corner
  EXPECT_RGB_NEAR((Rgba{85, 85, 85, 255}), centroid, 8);
}

TEST_F(GlLightingTest, LinearTableFogUsesEyeDepthUnderPerspective) {
  // D3DXMatrixPerspectiveFovLH with fov 90 degrees, near 1, far 100.
  const float aspect = float(kWidth) / float(kHeight), zn = 1, zf = 100;
  D3DMATRIX proj{};
  proj._11 = 1.0f / aspect, proj._22 = 1.0f;
  proj._33 = zf / (zf - zn), proj._34 = 1.0f, proj._43 = -zn * zf / (zf - zn);
  const D3DMATRIX identity = Diagonal(1, 1, 1);
  dev_->SetTransform(D3DTS_WORLD, &identity);
  dev_->SetTransform(D3DTS_VIEW, &identity);
  dev_->SetTransform(D3DTS_PROJECTION, &proj);
  dev_->SetRenderState(D3DRS_LIGHTING, FALSE);
  dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  dev_->SetRenderState(D3DRS_FOGENABLE, TRUE);
  dev_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  dev_->SetRenderState(D3DRS_FOGCOLOR, 0x000000ff);
  dev_->SetRenderState(D3DRS_FOGSTART, Bits(2.0f));
  dev_->SetRenderState(D3DRS_FOGEND, Bits(8.0f));
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  auto drawAt = [&](float z) {
    const float s = z * 2;  // wide enough to fill the screen at that depth
    const VertexXyzColorTex quad[4] = {{-s, s, z, 0xffffffff, 0, 0},
                                       {s, s, z, 0xffffffff, 0, 0},
                                       {-s, -s, z, 0xffffffff, 0, 0},
                                       {s, -s, z, 0xffffffff, 0, 0}};
    dev_->SetFVF(0x142);
    dev_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0]));
  };
  drawAt(5);  // f = (8 - 5) / 6 = 0.5
  EXPECT_RGB_NEAR((Rgba{128, 128, 255, 255}), ReadPixel(32, 24), 2);
  SavePng("fog");
  dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  drawAt(7);  // f = 1/6
  EXPECT_RGB_NEAR((Rgba{43, 43, 255, 255}), ReadPixel(10, 40), 2);
  dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  drawAt(1.5f);  // nearer than the start: no fog
  EXPECT_RGB_NEAR((Rgba{255, 255, 255, 255}), ReadPixel(32, 24), 1);

  // An orthographic projection measures fog in device depth 0..1 instead.
  const D3DMATRIX ortho = Diagonal(1, 1, 0.1f);
  dev_->SetTransform(D3DTS_PROJECTION, &ortho);
  dev_->SetRenderState(D3DRS_FOGSTART, Bits(0.2f));
  dev_->SetRenderState(D3DRS_FOGEND, Bits(0.8f));
  dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawClipQuad(-1, -1, 1, 1, 5.0f, 0xffffffff);  // view z 5 is device z 0.5
  EXPECT_RGB_NEAR((Rgba{128, 128, 255, 255}), ReadPixel(32, 24), 2);
}

TEST_F(GlLightingTest, SphereMapCoordinatesFollowTheReflection) {
  // A 5x5 texture whose texel (x, y) has red 50x + 20 and green 50y + 20, point sampled.
  std::vector<DWORD> texels(25);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 5; ++x)
      texels[y * 5 + x] = 0xff000000 | ((50 * x + 20) << 16) | ((50 * y + 20) << 8);
  }
  IDirect3DTexture9* tex = MakeTexture(5, 5, texels);
  UseOrtho(2000);
  dev_->SetRenderState(D3DRS_LIGHTING, FALSE);
  dev_->SetTexture(0, tex);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_SPHEREMAP);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  // Far away, so the eye vector is (0, 0, 1) across the quad.
  const float n[3] = {0.48f, 0.36f, -0.8f};
  DrawNormalQuad(1000, n[0], n[1], n[2]);
  // r = I - 2 (N.I) N, m = 2 sqrt(rx^2 + ry^2 + (rz + 1)^2), u = rx/m + 1/2, v = ry/m + 1/2.
  const float ndoti = n[2];
  const float r[3] = {-2 * ndoti * n[0], -2 * ndoti * n[1], 1 - 2 * ndoti * n[2]};
  const float m = 2 * std::sqrt(r[0] * r[0] + r[1] * r[1] + (r[2] + 1) * (r[2] + 1));
  const int tx = static_cast<int>((r[0] / m + 0.5f) * 5),
            ty = static_cast<int>((r[1] / m + 0.5f) * 5);
  ASSERT_EQ(4, tx);
  ASSERT_EQ(3, ty);
  EXPECT_RGB_NEAR(FromColor(texels[ty * 5 + tx]), ReadPixel(32, 24), 0);
  dev_->SetTexture(0, nullptr);
  tex->Release();
}

}  // namespace

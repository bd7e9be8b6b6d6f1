// A headless GL device (SDL offscreen, llvmpipe) for picture tests, with helpers to draw
// untransformed or pre-transformed geometry and to read pixels of the back buffer.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/d3d9_readback.h"
#include "support/picture.h"

using vexil::test::Rgba;

struct VertexXyzColorTex {  // FVF 0x142
  float x, y, z;
  DWORD color;
  float u, v;
};
struct VertexXyzNormal {  // FVF 0x012
  float x, y, z, nx, ny, nz;
};
struct VertexXyzNormalColorTex {  // FVF 0x152
  float x, y, z, nx, ny, nz;
  DWORD color;
  float u, v;
};
struct VertexRhwColor {  // FVF 0x044
  float x, y, z, rhw;
  DWORD color;
};
struct VertexRhwColorTex {  // FVF 0x144
  float x, y, z, rhw;
  DWORD color;
  float u, v;
};

class GlDeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT kWidth = 64;
  static constexpr UINT kHeight = 48;

  void SetUp() override;
  void TearDown() override;

  std::vector<uint8_t> ReadBackBuffer();
  Rgba Pixel(int x, int y);  // of the last ReadBackBuffer
  Rgba ReadPixel(int x, int y) {
    ReadBackBuffer();
    return Pixel(x, y);
  }
  // Writes the last read-back frame as d3d9-<name>.png beside the test binaries, for a look.
  void SavePng(const std::string& name);
  // Identity transforms, lighting off, no culling: positions are clip coordinates.
  void UseClipSpace();
  // Orthographic camera: view x, y in [-1, 1] fill the screen, view z 0..depth maps to 0..1;
  // no culling.
  void UseOrtho(float depth);
  // A screen-filling quad at view depth z with one normal for all corners.
  void DrawNormalQuad(float z, float nx, float ny, float nz);
  // A quad from (x0, y0) to (x1, y1) in clip space at depth z, drawn as a strip.
  void DrawClipQuad(float x0, float y0, float x1, float y1, float z, D3DCOLOR color, float u0 = 0,
                    float v0 = 0, float u1 = 1, float v1 = 1);
  IDirect3DTexture9* MakeTexture(UINT w, UINT h, const std::vector<DWORD>& argb,
                                 D3DFORMAT format = D3DFMT_A8R8G8B8);

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
  std::vector<uint8_t> pixels_;
  UINT readWidth_ = 0, readHeight_ = 0;
};

inline D3DMATRIX Diagonal(float x, float y, float z) {
  D3DMATRIX m{};
  m._11 = x, m._22 = y, m._33 = z, m._44 = 1;
  return m;
}

inline Rgba FromColor(D3DCOLOR c) {
  return {int((c >> 16) & 0xff), int((c >> 8) & 0xff), int(c & 0xff), int(c >> 24)};
}

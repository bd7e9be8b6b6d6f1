// The three fixed-function vertex layouts the effects draw with, named by their FVF codes,
// the 16-bit index triangle of their meshes, and the opacity-to-alpha rule they share.
#pragma once

#include <cstdint>

#include "d3d9/d3d9.h"

namespace effects {

// FVF 142 hex: position, diffuse colour, one texture coordinate pair.
struct VertexColorTex {
  static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  float x, y, z;
  uint32_t color;
  float u, v;
};
static_assert(sizeof(VertexColorTex) == 24, "FVF 142 hex is 24 bytes a vertex");
static_assert(VertexColorTex::kFvf == 0x142, "position, diffuse, one texture pair");

// FVF 152 hex: position, normal, diffuse colour, one texture coordinate pair.
struct VertexNormalColorTex {
  static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
  float x, y, z;
  float nx, ny, nz;
  uint32_t color;
  float u, v;
};
static_assert(sizeof(VertexNormalColorTex) == 36, "FVF 152 hex is 36 bytes a vertex");
static_assert(VertexNormalColorTex::kFvf == 0x152, "position, normal, diffuse, one pair");

// FVF 112 hex: position, normal, one texture coordinate pair.
struct VertexNormalTex {
  static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
static_assert(sizeof(VertexNormalTex) == 32, "FVF 112 hex is 32 bytes a vertex");
static_assert(VertexNormalTex::kFvf == 0x112, "position, normal, one texture pair");

// One triangle of an index buffer in D3DFMT_INDEX16: three vertex numbers, so a mesh drawn
// with them has at most 65,536 vertices.
struct Triangle16 {
  uint16_t a, b, c;
};
static_assert(sizeof(Triangle16) == 6, "three 16-bit indices");
constexpr int64_t kMaxIndex16Vertices = 65536;

// An opacity as an alpha byte: 255 at or above 1, 0 at or below 0, else rounded. NaN gives 0
// (the comparisons alone would let it through to an undefined float-to-int conversion).
inline uint32_t OpacityToByte(float opacity) {
  if (opacity >= 1.0f) return 255;
  if (!(opacity > 0.0f)) return 0;
  return static_cast<uint32_t>(opacity * 255.0f + 0.5f);
}

}  // namespace effects

// The texscreen grid: single-precision arithmetic, integer halves truncating toward zero.
#include "texscreen_grid.h"

namespace effects {

const char* TexScreenGridProblem(int32_t xNum, int32_t yNum) {
  if (xNum < 2 || yNum < 2) return "needs at least 2 grid points across and up";
  if (static_cast<int64_t>(xNum) * yNum > kMaxIndex16Vertices) {
    return "has more than 65536 grid points, more than 16-bit indices can reach";
  }
  return nullptr;
}

void BuildTexScreenGrid(const TexScreenGridSettings& s, std::vector<VertexColorTex>* vertices,
                        std::vector<Triangle16>* triangles) {
  vertices->clear();
  triangles->clear();
  if (TexScreenGridProblem(s.xNum, s.yNum)) return;
  const int32_t nx = s.xNum;
  const int32_t ny = s.yNum;

  const uint32_t color = (OpacityToByte(s.alpha) << 24) | 0x00FFFFFFu;
  const float du = (s.uEnd - s.uStart) / static_cast<float>(nx - 1);
  const float dv = (s.vEnd - s.vStart) / static_cast<float>(ny - 1);
  const float k = s.bendFactor * 0.0001f;

  for (int32_t i = -(ny / 2); i <= ny - ny / 2 - 1; ++i) {
    const float row = static_cast<float>(i + ny / 2);
    const float fi = static_cast<float>(i);
    for (int32_t j = -(nx / 2); j <= nx - nx / 2 - 1; ++j) {
      const float column = static_cast<float>(j + nx / 2);
      const float fj = static_cast<float>(j);
      VertexColorTex v;
      v.x = fj * s.xSegSize;
      v.y = fi * s.ySegSize;
      v.z = s.z - (k * (fj * fj) + k * (fi * fi));
      v.color = color;
      v.u = s.uStart + column * du;
      v.v = s.vStart + row * dv;
      vertices->push_back(v);
    }
  }

  // Two triangles per cell, A the point above B.
  for (int32_t r = 0; r < ny - 1; ++r) {
    for (int32_t c = 0; c < nx - 1; ++c) {
      const auto a = static_cast<uint16_t>(nx * (r + 1) + c);
      const auto b = static_cast<uint16_t>(nx * r + c);
      triangles->push_back({a, static_cast<uint16_t>(a + 1), static_cast<uint16_t>(b + 1)});
      triangles->push_back({static_cast<uint16_t>(b + 1), b, a});
    }
  }
}

}  // namespace effects

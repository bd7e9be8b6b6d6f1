// The torus builder: angles added up step by step and the ring turned in place by one step
// matrix, in single precision, so the mesh is the same everywhere.
#include "torus_mesh.h"

#include <cmath>

#include "d3dx9/d3dx9math.h"

namespace effects {

namespace {

constexpr float kTwoPi = 6.2831855f;

}  // namespace

const char* TorusProblem(float outRadius, int32_t outSegments, float inRadius, int32_t inSegments) {
  if (outRadius == 0.0f || inRadius == 0.0f) return "has a radius of 0 and no surface";
  if (outSegments < 1 || inSegments < 1) return "needs at least 1 segment each way";
  if (static_cast<int64_t>(outSegments) * inSegments > kMaxIndex16Vertices) {
    return "has more than 65536 points, more than 16-bit indices can reach";
  }
  return nullptr;
}

void BuildTorus(float outRadius, int32_t outSegments, float inRadius, int32_t inSegments,
                std::vector<VertexColorTex>* vertices, std::vector<Triangle16>* triangles) {
  vertices->clear();
  triangles->clear();
  if (TorusProblem(outRadius, outSegments, inRadius, inSegments)) return;
  const int32_t rings = outSegments;
  const int32_t points = inSegments;

  // Ring 0: a circle of radius r in the x-z plane around (0, 0, R).
  std::vector<D3DXVECTOR3> ring(points);
  const float pointStep = kTwoPi / static_cast<float>(points);
  float theta = 0.0f;
  for (int32_t j = 0; j < points; ++j) {
    ring[j] = D3DXVECTOR3(inRadius * std::cos(theta), 0.0f, outRadius + inRadius * std::sin(theta));
    theta += pointStep;
  }

  D3DXMATRIX step;
  D3DXMatrixRotationX(&step, kTwoPi / static_cast<float>(rings));
  for (int32_t k = 0; k < rings; ++k) {
    const float v = (k % 2 == 0) ? 0.0f : 1.0f;
    for (int32_t j = 0; j < points; ++j) {
      const size_t index = vertices->size();
      D3DXVECTOR3& p = ring[j];
      vertices->push_back({p.x, p.y, p.z, 0xFFFFFFFFu, index % 2 == 0 ? 1.0f : 0.0f, v});
      // The next ring is this one turned one more step (row vector times the matrix).
      p = D3DXVECTOR3(p.x * step._11 + p.y * step._21 + p.z * step._31 + step._41,
                      p.x * step._12 + p.y * step._22 + p.z * step._32 + step._42,
                      p.x * step._13 + p.y * step._23 + p.z * step._33 + step._43);
    }
  }

  // Two triangles per quad; the last ring joins the first, the last point the first.
  auto at = [points](int32_t ringIndex, int32_t point) {
    return static_cast<uint16_t>(ringIndex * points + point);
  };
  for (int32_t i = 0; i < rings; ++i) {
    const int32_t nextRing = i + 1 < rings ? i + 1 : 0;
    for (int32_t j = 0; j < points; ++j) {
      const int32_t nextPoint = j + 1 < points ? j + 1 : 0;
      const uint16_t p00 = at(i, j), p01 = at(i, nextPoint);
      const uint16_t p10 = at(nextRing, j), p11 = at(nextRing, nextPoint);
      triangles->push_back({p00, p01, p11});
      triangles->push_back({p11, p10, p00});
    }
  }
}

}  // namespace effects

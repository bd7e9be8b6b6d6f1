// The twister's rings in single precision: twist angles, the ring-space mapping, normals from
// the centrum, texture coordinates from the arc table and the ring number.
#include "twister_tube.h"

#include <cmath>

namespace effects {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kHalfPi = 1.5707964f;
constexpr uint32_t kWhiteNoAlpha = 0x00FFFFFFu;

}  // namespace

const char* TwisterTubeProblem(int32_t segment, int32_t points) {
  if (segment < 1) return "needs \"segment\" of at least 1";
  if (points < 1) return "needs a \"shape\" with points";
  if (static_cast<int64_t>(segment) * (static_cast<int64_t>(points) + 1) * 2 >
      kMaxTwisterVertices) {
    return "would need more than 1048576 vertices";
  }
  return nullptr;
}

bool BuildArcTable(const std::vector<D3DXVECTOR2>& outline, std::vector<float>* u) {
  u->clear();
  const size_t n = outline.size();
  if (n == 0) return false;
  u->reserve(n + 1);
  float length = 0.0f;
  u->push_back(0.0f);
  for (size_t j = 1; j <= n; ++j) {
    const D3DXVECTOR2 edge = outline[j % n] - outline[j - 1];
    length += std::sqrt(edge.x * edge.x + edge.y * edge.y);
    u->push_back(length);
  }
  if (!(length > 0.0f) || !std::isfinite(length)) {
    u->clear();
    return false;
  }
  for (float& value : *u) value /= length;
  return true;
}

void BuildTwisterTube(const TwisterFrame& f, const std::vector<D3DXVECTOR2>& outline,
                      const std::vector<float>& u, std::vector<VertexNormalColorTex>* pairs) {
  const int32_t n = static_cast<int32_t>(outline.size());
  const int32_t stride = n + 1;
  const int32_t segment = f.segment;
  pairs->resize(static_cast<size_t>(segment + 1) * stride * 2);
  VertexNormalColorTex* v = pairs->data();

  const D3DXVECTOR3 step = (f.axisEnd - f.axisStart) / static_cast<float>(segment + 1);
  for (int32_t i = 0; i <= segment; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(segment);
    const float a = (f.startTwist * (1.0f - t) + f.endTwist * t) * kTwoPi;
    const float b = a + kHalfPi;
    const float cosA = std::cos(a), sinA = std::sin(a), cosB = std::cos(b), sinB = std::sin(b);
    const D3DXVECTOR3 centre = f.axisStart + step * static_cast<float>(i);
    // Ring space to space: rings always lie parallel to x-z, whatever the axis direction.
    auto place = [&](float p, float q) {
      return centre + D3DXVECTOR3(p * cosA + q * cosB, 0.0f, p * sinA + q * sinB);
    };
    const D3DXVECTOR3 normalCentre = place(f.offset + f.centrum.x, f.offset + f.centrum.y);

    VertexNormalColorTex* ring = v + static_cast<size_t>(i) * stride * 2;
    for (int32_t j = 0; j < n; ++j) {
      const D3DXVECTOR2 s = outline[j];
      const D3DXVECTOR3 position =
          place(f.offset + s.x * f.thickness, f.offset + s.y * f.thickness);
      D3DXVECTOR3 normal = position - normalCentre;
      D3DXVec3Normalize(&normal, &normal);  // a zero difference stays a zero normal
      ring[j * 2] = {position.x,
                     position.y,
                     position.z,
                     normal.x,
                     normal.y,
                     normal.z,
                     kWhiteNoAlpha,
                     f.texWidthTiling * u[j],
                     f.texHeightTiling * t};
    }
    // The closing vertex repeats the first, one whole texture width further round.
    ring[n * 2] = ring[0];
    ring[n * 2].u = f.texWidthTiling;
  }

  // Each pair's second vertex is the same point of the next ring.
  const int32_t joined = segment * stride;
  for (int32_t k = 0; k < joined; ++k) {
    v[k * 2 + 1] = v[(k + stride) * 2];
    v[k * 2 + 1].v =
        f.texHeightTiling * static_cast<float>(k / stride + 1) / static_cast<float>(segment);
  }
}

}  // namespace effects

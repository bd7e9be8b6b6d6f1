// Path growth and the Hermite path through the key rings.
#include "spline_path.h"

#include <algorithm>

namespace effects {

namespace {

// Far more tries than any seed needs: the previous direction is itself a drawable direction,
// so one in a thousand draws at worst lies in the cone. The bound only guarantees an end.
constexpr int kMaxDraws = 1 << 20;

float Tenths(LcgRandom& random) {
  return static_cast<float>(random.Next() % 10) * 0.1f;
}

}  // namespace

std::vector<D3DXVECTOR3> GrowSplinePath(LcgRandom& random, int rings, float space) {
  std::vector<D3DXVECTOR3> p;
  p.reserve(static_cast<size_t>(std::max(rings, 1)) + 1);
  p.emplace_back(1.0f, 1.0f, 1.0f);
  p.emplace_back(8.0f, 5.0f, 6.0f);
  for (int i = 2; i <= rings; ++i) {
    D3DXVECTOR3 d = p[i - 1] - p[i - 2];
    D3DXVec3Normalize(&d, &d);
    D3DXVECTOR3 t;
    for (int draw = 0; draw < kMaxDraws; ++draw) {
      const float x = Tenths(random);
      const float y = Tenths(random);
      const float z = Tenths(random);
      t = D3DXVECTOR3(x, y, z);
      D3DXVec3Normalize(&t, &t);  // a zero draw stays zero and is drawn again
      if (D3DXVec3Dot(&d, &t) >= 0.95f) break;
      if (draw + 1 == kMaxDraws) t = d;
    }
    p.push_back(p[i - 1] + t * space);
  }
  p.resize(static_cast<size_t>(std::max(rings, 1)) + 1);
  return p;
}

SplinePath::SplinePath(std::vector<D3DXVECTOR3> points, float period)
    : m_points(std::move(points)) {
  const int rings = static_cast<int>(m_points.size()) - 1;
  float t = 0.0f;
  for (int i = 0; i < rings; ++i) {
    m_times.push_back(t);
    t += period;
    if (i == 0) {
      m_tangents.push_back(m_points[1] - m_points[0]);
    } else {
      m_tangents.push_back((m_points[i + 1] - m_points[i]) * 0.5f +
                           (m_points[i] - m_points[i - 1]) * 0.5f);
    }
  }
}

D3DXVECTOR3 SplinePath::Position(float x) const {
  const int keys = KeyCount();
  if (keys == 0) return D3DXVECTOR3(0.0f, 0.0f, 0.0f);
  if (x < m_times[0]) return m_points[0];
  x = std::min(x, m_times[keys - 1]);
  for (int i = 0; i + 1 < keys; ++i) {
    if (!(x <= m_times[i + 1])) continue;
    const float span = m_times[i + 1] - m_times[i];
    if (!(span > 0.0f)) return m_points[i + 1];
    D3DXVECTOR3 out;
    D3DXVec3Hermite(&out, &m_points[i], &m_tangents[i], &m_points[i + 1], &m_tangents[i + 1],
                    (x - m_times[i]) / span);
    return out;
  }
  return m_points[keys - 1];
}

}  // namespace effects

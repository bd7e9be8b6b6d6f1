// The spline tunnel's path: grown from a seeded random walk that never turns more than
// about 18 degrees a step, then timed ring by ring and followed with Hermite curves.
#pragma once

#include <vector>

#include "d3dx9/d3dx9math.h"
#include "lcg_random.h"

namespace effects {

// R + 1 path points for R = `rings`: (1, 1, 1), (8, 5, 6), then each a step of `space` in a
// random direction (components 0 to 0.9 in tenths, normalised) within the cone
// direction . previous direction >= 0.95. Needs rings >= 1 and space > 0.
std::vector<D3DXVECTOR3> GrowSplinePath(LcgRandom& random, int rings, float space);

// The key-ring table of a path: ring i at time i x period (seconds, added up), at point i,
// with tangent p[1] - p[0] for the first ring and the mean of the neighbouring chords after.
class SplinePath {
 public:
  SplinePath() = default;
  // `points` holds R + 1 points for R key rings; `period` is the time between rings.
  SplinePath(std::vector<D3DXVECTOR3> points, float period);

  int KeyCount() const { return static_cast<int>(m_times.size()); }
  float Time(int i) const { return m_times[i]; }
  const D3DXVECTOR3& Point(int i) const { return m_points[i]; }
  const D3DXVECTOR3& Tangent(int i) const { return m_tangents[i]; }

  // The point on the Hermite path at `seconds`: the first ring before its time, the last
  // after its time.
  D3DXVECTOR3 Position(float seconds) const;

 private:
  std::vector<D3DXVECTOR3> m_points;
  std::vector<float> m_times;
  std::vector<D3DXVECTOR3> m_tangents;
};

}  // namespace effects

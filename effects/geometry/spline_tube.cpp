// Building the spline tunnel's tube: path, key rings, alignment, smoothing, normals, strips.
#include "spline_tube.h"

#include <cmath>
#include <limits>

#include "hermite_subdivide.h"

namespace effects {

namespace {

std::string CheckSettings(const SplineTubeSettings& s) {
  if (s.shape.empty()) return "\"shape\" has no points";
  if (s.rings < 2) return "\"rings\" is below 2";
  if (s.ringSplinePoints < 1) return "\"ringsplinepoints\" is below 1";
  if (s.spaceSplinePoints < 1) return "\"spacesplinepoints\" is below 1";
  if (!(s.time > 0.0f) || !std::isfinite(s.time)) return "\"time\" is not above 0";
  if (!(s.time / static_cast<float>(s.rings) > 0.0f)) return "\"time\" is too small";
  // A step of 0 or less would leave the walk no direction to keep to.
  if (!(s.space > 0.0f) || !std::isfinite(s.space)) return "\"space\" is not above 0";
  const int64_t width = static_cast<int64_t>(s.shape.size()) * s.ringSplinePoints;
  const int64_t rows = static_cast<int64_t>(s.spaceSplinePoints) * (s.rings - 1) + 1;
  if (width > kMaxTunnelVertices || rows > kMaxTunnelVertices ||
      (width + 1) * 2 * (rows - 1) > kMaxTunnelVertices) {
    return "the tube would have more than " + std::to_string(kMaxTunnelVertices) + " vertices";
  }
  const int64_t points = static_cast<int64_t>(s.shape.size());
  if (points * points * s.rings > kMaxRingAlignPairs) {
    return "\"shape\" has too many points (" + std::to_string(points) + ") to align " +
           std::to_string(s.rings) + " rings: more than " + std::to_string(kMaxRingAlignPairs) +
           " point pairs to compare";
  }
  return std::string();
}

}  // namespace

void AlignRing(const D3DXVECTOR3* previous, D3DXVECTOR3* ring, int n) {
  int bestA = 0, bestB = 0;
  D3DXVECTOR3 d = ring[0] - previous[0];
  float best = D3DXVec3Length(&d);
  for (int a = 0; a < n; ++a) {
    for (int b = 0; b < n; ++b) {
      d = ring[a] - previous[b];
      const float distance = D3DXVec3Length(&d);
      if (distance < best) {
        best = distance;
        bestA = a;
        bestB = b;
      }
    }
  }
  if (bestA == bestB) return;
  const std::vector<D3DXVECTOR3> old(ring, ring + n);
  for (int j = 0; j < n; ++j) ring[j] = old[(n + bestA + j - bestB) % n];
}

SplineTube BuildSplineTube(const SplineTubeSettings& s) {
  SplineTube tube;
  tube.emptyReason = CheckSettings(s);
  if (!tube.emptyReason.empty()) return tube;

  const int R = s.rings;
  const int N = static_cast<int>(s.shape.size());
  const int rs = s.ringSplinePoints;
  const int ss = s.spaceSplinePoints;
  const int W = N * rs;
  const int S = ss * (R - 1) + 1;
  const float period = s.time / static_cast<float>(R);
  tube.ringWidth = W;
  tube.rows = S;
  tube.ringPeriod = period;

  LcgRandom random(static_cast<uint32_t>(s.seed));
  tube.path = SplinePath(GrowSplinePath(random, R, s.space), period);
  const SplinePath& path = tube.path;

  // Key rings: the outline across the path, in the plane of H = D x T and K = H x T.
  std::vector<D3DXVECTOR3> grid(static_cast<size_t>(S) * W);
  const auto at = [&](int row, int column) -> D3DXVECTOR3& {
    return grid[static_cast<size_t>(row) * W + column];
  };
  std::vector<D3DXVECTOR3> ring(N), previousRing(N);
  for (int i = 0; i < R; ++i) {
    const D3DXVECTOR3& centre = path.Point(i);
    const D3DXVECTOR3 chord = path.Point(i + 1) - centre;
    const D3DXVECTOR3& tangent = path.Tangent(i);
    D3DXVECTOR3 h, k;
    D3DXVec3Cross(&h, &chord, &tangent);
    if (h.x == 0.0f && h.y == 0.0f && h.z == 0.0f) {
      const D3DXVECTOR3 nudged(tangent.x + 0.1f, tangent.y, tangent.z);
      D3DXVec3Cross(&h, &chord, &nudged);
    }
    D3DXVec3Cross(&k, &h, &tangent);
    D3DXVec3Normalize(&h, &h);
    D3DXVec3Normalize(&k, &k);
    for (int j = 0; j < N; ++j) {
      float scale = s.baseRadius;
      if (s.randRadius != 0) scale += static_cast<float>(random.Next() % s.randRadius) * 0.1f;
      const D3DXVECTOR2 v = s.shape[j] * scale;
      ring[j] = centre + h * v.y + k * v.x;
    }
    if (i >= 1) AlignRing(previousRing.data(), ring.data(), N);
    previousRing = ring;

    // Smooth around: the ring closed by its first point again, the same tangent at both ends.
    std::vector<D3DXVECTOR3> closed(ring);
    closed.push_back(ring[0]);
    const D3DXVECTOR3 seam = (closed[1] - closed[N - 1]) * 0.5f;
    HermiteSubdivide(closed.data(), 1, N + 1, rs, seam, seam, &at(i * ss, 0), 1);
  }

  // Smooth along each column between the key rows; the last row stays the last key ring.
  const D3DXVECTOR3 zero(0.0f, 0.0f, 0.0f);
  std::vector<D3DXVECTOR3> keys(R);
  for (int w = 0; w < W; ++w) {
    for (int q = 0; q < R; ++q) keys[q] = at(q * ss, w);
    HermiteSubdivide(keys.data(), 1, R, ss, zero, zero, &at(0, w), static_cast<size_t>(W));
  }

  // Normals from the wall towards the path: the two chords to the neighbours seen from the
  // path point of the row, weighted crosswise by length, plus the way to the path.
  std::vector<D3DXVECTOR3> normals(grid.size());
  for (int row = 0; row < S; ++row) {
    const D3DXVECTOR3 centre =
        path.Position(static_cast<float>(row) * period / static_cast<float>(ss));
    for (int col = 0; col < W; ++col) {
      const D3DXVECTOR3& cur = at(row, col);
      const D3DXVECTOR3 e = centre - at(row, (col + 1) % W);
      const D3DXVECTOR3 h = centre - at(row, (col + W - 1) % W);
      D3DXVECTOR3 en, hn;
      D3DXVec3Normalize(&en, &e);
      D3DXVec3Normalize(&hn, &h);
      D3DXVECTOR3 n = en * D3DXVec3Length(&h) + hn * D3DXVec3Length(&e) + (centre - cur);
      D3DXVec3Normalize(&normals[static_cast<size_t>(row) * W + col], &n);
    }
  }

  // One strip per row: W + 1 columns (the last repeats the first), two vertices each. The
  // texture wraps twice around and once per key-ring segment along.
  tube.vertices.reserve(static_cast<size_t>(W + 1) * 2 * (S - 1));
  const auto vertex = [&](int row, int col, float u) {
    const D3DXVECTOR3& p = at(row, col);
    const D3DXVECTOR3& n = normals[static_cast<size_t>(row) * W + col];
    tube.vertices.push_back(
        {p.x, p.y, p.z, n.x, n.y, n.z, 0xFFFFFFFFu, u, static_cast<float>(row) / ss});
  };
  for (int row = 0; row + 1 < S; ++row) {
    for (int col = 0; col <= W; ++col) {
      const float u = 2.0f * static_cast<float>(col) / static_cast<float>(W);
      vertex(row, col % W, u);
      vertex(row + 1, col % W, u);
    }
  }
  return tube;
}

}  // namespace effects

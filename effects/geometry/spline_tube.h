// The spline tunnel's tube, built once without a device: a ring of the outline at every key
// ring of the path, each ring renumbered to line up with the one before, smoothed around and
// along with Hermite curves, with normals pointing from the wall towards the path, laid out
// as one triangle strip per row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx9/d3dx9math.h"
#include "spline_path.h"
#include "vertex_formats.h"

namespace effects {

struct SplineTubeSettings {
  int32_t seed = 100;
  int32_t rings = 100;  // R
  float space = 10.0f;
  float baseRadius = 1.0f;
  int32_t randRadius = 40;
  float time = 60.0f;  // seconds from the first key ring to the last
  int32_t ringSplinePoints = 5;
  int32_t spaceSplinePoints = 3;
  std::vector<D3DXVECTOR2> shape;  // the outline, in the order the tube takes its points
};

// More vertices than this (36 MiB of buffer) make an empty tube rather than a huge one.
constexpr int64_t kMaxTunnelVertices = 1 << 20;
// Each key ring is turned to match the one before by comparing every point of it with every
// point of that one: shape points x shape points x rings comparisons, at most this many.
constexpr int64_t kMaxRingAlignPairs = int64_t{1} << 28;

struct SplineTube {
  std::string emptyReason;  // why nothing can be drawn; empty for a built tube
  int ringWidth = 0;        // W: points per smoothed ring
  int rows = 0;             // S: rows of the smoothed tube; rows - 1 strips
  float ringPeriod = 0.0f;  // seconds per key ring
  SplinePath path;
  // Strip r is vertices [r * (W + 1) * 2, (r + 1) * (W + 1) * 2): 2W triangles.
  std::vector<VertexNormalColorTex> vertices;

  bool Empty() const { return vertices.empty(); }
  int StripVertices() const { return (ringWidth + 1) * 2; }
};

SplineTube BuildSplineTube(const SplineTubeSettings& settings);

// Renumbers `ring` (n points) so that its point closest to a point of `previous` takes that
// point's number: the pair (a in ring, b in previous) with the smallest distance, first found
// on ties, gives new point j = old point (n + a + j - b) mod n.
void AlignRing(const D3DXVECTOR3* previous, D3DXVECTOR3* ring, int n);

}  // namespace effects

// The tube of "twister" without a device: an outline swept along a straight axis in rings,
// each ring turned about the vertical by a twist that runs from a start to an end value. The
// rings are laid out as vertex pairs, so that the pairs of one ring, read as one run, are the
// triangle strip joining it to the next ring.
#pragma once

#include <cstdint>
#include <vector>

#include "d3dx9/d3dx9math.h"
#include "vertex_formats.h"

namespace effects {

// A twister's vertex buffer holds segment x (points + 1) x 2 vertices; more than this are
// refused, so that hostile settings cannot make a frame's work or memory unbounded.
constexpr int64_t kMaxTwisterVertices = 1 << 20;

// Why a tube of `segment` strips around an outline of `points` points cannot be built, or null
// when it can.
const char* TwisterTubeProblem(int32_t segment, int32_t points);

// The normalised running length around the closed outline: u[0] = 0 ... u[N] = 1, the last
// edge running from point N - 1 back to point 0. False (and u empty) when the outline has no
// length, which would divide by zero.
bool BuildArcTable(const std::vector<D3DXVECTOR2>& outline, std::vector<float>* u);

// The settings of one frame.
struct TwisterFrame {
  int32_t segment;  // strips along the axis; the tube has segment + 1 rings
  D3DXVECTOR3 axisStart, axisEnd;
  float startTwist, endTwist;  // in whole turns
  D3DXVECTOR2 centrum;         // ring-space point the normals radiate from
  float offset;                // added to both ring-space coordinates of points and centrum
  float thickness;             // scale of the outline points (not of the centrum)
  float texWidthTiling, texHeightTiling;
};

// Fills `pairs` ((segment + 1) x (N + 1) pairs, two vertices each; resized, storage kept) for
// the outline and its arc table (N + 1 entries). Pair i x (N + 1) + j holds vertex j of ring i
// and vertex j of ring i + 1; the last ring lies one axis step short of the axis end, and the
// pairs of the last ring keep only their first vertex. Call only for settings that
// TwisterTubeProblem accepts.
void BuildTwisterTube(const TwisterFrame& frame, const std::vector<D3DXVECTOR2>& outline,
                      const std::vector<float>& u, std::vector<VertexNormalColorTex>* pairs);

}  // namespace effects

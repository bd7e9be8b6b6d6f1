// Hermite subdivision of a run of points, read and written with strides so that the same
// routine smooths the rows and the columns of a grid of points.
#pragma once

#include <cstddef>

#include "d3dx9/d3dx9math.h"

namespace effects {

// Subdivides `count` points (in[0], in[inStride], ...) into `perSegment` points per segment:
// output point k * perSegment + i (at out[(k * perSegment + i) * outStride]) is the Hermite
// point of segment k at i / perSegment. The end point of the last segment is not emitted, so
// (count - 1) * perSegment points are written. Tangents: `startTangent` at the first point,
// `endTangent` at the last, and the mean of the two neighbouring chords in between.
void HermiteSubdivide(const D3DXVECTOR3* in, size_t inStride, int count, int perSegment,
                      const D3DXVECTOR3& startTangent, const D3DXVECTOR3& endTangent,
                      D3DXVECTOR3* out, size_t outStride);

}  // namespace effects

// The torus of "torustunnel" without a device: rings of points around a tube, swept around a
// centre circle about the x axis, joined into two triangles per quad with 16-bit indices, the
// texture repeating once per quad.
#pragma once

#include <cstdint>
#include <vector>

#include "vertex_formats.h"

namespace effects {

// Why a torus of these sizes draws nothing, or null when it can be built: a zero radius or a
// count below 1 gives no surface, and more than 65,536 points do not fit 16-bit indices.
const char* TorusProblem(float outRadius, int32_t outSegments, float inRadius, int32_t inSegments);

// Fills the two arrays (emptied first) with the torus: outSegments rings of inSegments points, a
// tube of radius inRadius around the circle of radius outRadius in the y-z plane about the origin.
// Ring 0 lies in the x-z plane around (0, 0, outRadius); each further ring is the one before
// turned one step about the x axis. u alternates 1, 0, 1 ... along all vertices and v 0, 1,
// 0 ... from ring to ring. Nothing is built for sizes that TorusProblem refuses.
void BuildTorus(float outRadius, int32_t outSegments, float inRadius, int32_t inSegments,
                std::vector<VertexColorTex>* vertices, std::vector<Triangle16>* triangles);

}  // namespace effects

// The grid of "texscreen" without a device: a regular grid of points facing the camera, bent
// toward the viewer by the squared distance from its centre, with a window of the texture
// spread over it and one opacity.
#pragma once

#include <cstdint>
#include <vector>

#include "vertex_formats.h"

namespace effects {

struct TexScreenGridSettings {
  int32_t xNum, yNum;  // grid points across and up
  float z;             // depth of the centre
  float xSegSize, ySegSize;
  float uStart, vStart, uEnd, vEnd;  // u at the left and right columns, v at the lowest and
                                     // highest rows
  float bendFactor;
  float alpha;
};

// Why a grid of that many points cannot be drawn, or null when it can: fewer than 2 points
// either way leaves no step between them, and more than 65,536 points do not fit 16-bit
// indices.
const char* TexScreenGridProblem(int32_t xNum, int32_t yNum);

// Rebuilds the grid into the two arrays (emptied first; their storage is kept, so a grid of
// the same size allocates nothing). Rows run from the bottom up, columns from left to right;
// an even count reaches one step further on the negative side. Nothing is built for a grid
// that TexScreenGridProblem refuses.
void BuildTexScreenGrid(const TexScreenGridSettings& settings,
                        std::vector<VertexColorTex>* vertices, std::vector<Triangle16>* triangles);

}  // namespace effects

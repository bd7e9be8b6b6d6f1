// Decodes a flexible vertex format code into the byte offsets of its fields, which both
// the draw validation and the GL vertex attribute setup need.
#pragma once

#include "d3d9/d3d9types.h"

namespace vexil::d3d9 {

struct VertexLayout {
  UINT stride = 0;              // bytes per vertex the FVF describes
  bool pretransformed = false;  // XYZRHW: screen-space x, y, z and 1/w
  int positionSize = 0;         // floats: 3 (XYZ) or 4 (XYZRHW, XYZW)
  int normalOffset = -1;
  int pointSizeOffset = -1;
  int diffuseOffset = -1;
  int specularOffset = -1;
  UINT texCoordCount = 0;
  int texCoordOffset[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int texCoordSize[8] = {0, 0, 0, 0, 0, 0, 0, 0};  // floats per set, 1..4
};

// False for codes vexil cannot draw (no position, or vertex-blend weights, which the
// fixed-function emulation does not implement).
bool DecodeFvf(DWORD fvf, VertexLayout* layout);

// Number of vertices (for an indexed draw, indices) a primitive count of a type consumes.
UINT VerticesForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount);

}  // namespace vexil::d3d9

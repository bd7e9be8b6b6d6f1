// Triangle primitives redrawn as their edges or their corners, for the fill modes
// D3DFILL_WIREFRAME and D3DFILL_POINT where the graphics API has no polygon mode (OpenGL ES,
// WebGL): each triangle of a list, strip or fan gives its three edges as a line list, or its
// three corners as a point list, in the order D3D9 rasterises the triangles.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d9/d3d9types.h"

namespace vexil::d3d9 {

// True for the primitive types a fill mode changes (triangle lists, strips and fans).
bool IsTrianglePrimitive(D3DPRIMITIVETYPE type);

// `vertices` are the vertex numbers a draw consumes, in order. Appends to `out` the line list
// (two numbers per edge) of every triangle they form, or, with `points`, each triangle's
// corners. Numbers left over that form no triangle are ignored, as D3D9 ignores them.
void TriangleOutlines(D3DPRIMITIVETYPE type, const std::vector<uint32_t>& vertices, bool points,
                      std::vector<uint32_t>* out);

}  // namespace vexil::d3d9

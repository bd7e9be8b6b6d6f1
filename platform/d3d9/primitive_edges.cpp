// Edges and corners of triangle lists, strips and fans.
#include "d3d9/primitive_edges.h"

#include <cstddef>

namespace vexil::d3d9 {

bool IsTrianglePrimitive(D3DPRIMITIVETYPE type) {
  return type == D3DPT_TRIANGLELIST || type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN;
}

void TriangleOutlines(D3DPRIMITIVETYPE type, const std::vector<uint32_t>& vertices, bool points,
                      std::vector<uint32_t>* out) {
  const size_t n = vertices.size();
  if (!IsTrianglePrimitive(type) || n < 3) return;
  const size_t triangles = type == D3DPT_TRIANGLELIST ? n / 3 : n - 2;
  out->reserve(out->size() + triangles * (points ? 3 : 6));
  for (size_t t = 0; t < triangles; ++t) {
    uint32_t a, b, c;
    if (type == D3DPT_TRIANGLELIST) {
      a = vertices[3 * t], b = vertices[3 * t + 1], c = vertices[3 * t + 2];
    } else if (type == D3DPT_TRIANGLEFAN) {
      a = vertices[0], b = vertices[t + 1], c = vertices[t + 2];
    } else {
      // Every other strip triangle is wound the other way; its edges are the same.
      a = vertices[t], b = vertices[t + 1], c = vertices[t + 2];
    }
    if (points) {
      out->insert(out->end(), {a, b, c});
    } else {
      out->insert(out->end(), {a, b, b, c, c, a});
    }
  }
}

}  // namespace vexil::d3d9

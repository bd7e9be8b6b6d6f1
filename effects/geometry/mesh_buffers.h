// The static mesh buffers that effects make at Init: a managed, write-only vertex buffer and a
// 16-bit index buffer, filled once.
#pragma once

#include "d3d9/d3d9.h"

namespace effects {

// Makes both buffers and copies the bytes in; the caller owns one reference of each (as
// from any Create call: pass a Com's put()). A failed creation or lock shows the effect
// library's message for it, releases whatever was made and answers false (both pointers
// null), so that the effect draws nothing.
bool CreateFilledMeshBuffers(IDirect3DDevice9* device, DWORD fvf, const void* vertices,
                             UINT vertexBytes, const void* indices, UINT indexBytes,
                             IDirect3DVertexBuffer9** vertexBuffer,
                             IDirect3DIndexBuffer9** indexBuffer);

}  // namespace effects

// Reads DirectX .x files (our own reader, xfile_reader.h) into plain arrays laid out as an
// ID3DXMesh holds them. No device involved, so layout, winding and materials are tested directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d9/d3d9types.h"
#include "d3dx9/d3dx9mesh.h"

namespace d3dx {

struct MeshMaterial {
  D3DMATERIAL9 material{};
  std::string textureFile;  // empty when the material names no texture
};

struct MeshData {
  DWORD fvf = 0;
  UINT stride = 0;
  UINT numVertices = 0;
  std::vector<unsigned char> vertices;  // numVertices * stride bytes in FVF order
  std::vector<uint32_t> indices;        // three per face
  std::vector<DWORD> attributes;        // one material index per face
  std::vector<MeshMaterial> materials;
};

// S_OK, D3DERR_NOTAVAILABLE (no such file, or not a regular file of at most the mesh file
// limit) or D3DXERR_INVALIDDATA (not a readable mesh, or past a mesh limit); `error` says why.
HRESULT ImportXFile(const std::string& path, MeshData* out, std::string* error);
// The same for a file's bytes in memory.
HRESULT ImportXFileMemory(const unsigned char* data, size_t size, MeshData* out,
                          std::string* error);

// Three entries per face: the face across edges (0,1), (1,2), (2,0), or 0xFFFFFFFF.
// Vertices at the same position count as one, so split normals or UVs do not open edges.
std::vector<DWORD> ComputeAdjacency(const MeshData& mesh);

// Runs of equal attributes in face order, with the vertex range each run touches.
std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(const std::vector<DWORD>& attributes,
                                                    const std::vector<uint32_t>& indices);

}  // namespace d3dx

// Our own reader of DirectX .x files (text and binary): frames with their transforms, meshes
// with normals, texture coordinates, vertex colours and materials. Written for untrusted
// files: every count is checked against the data that follows and against the mesh limits,
// every index against what it indexes, and nesting never recurses deeper than the frame
// limit. Unknown data objects are skipped, as DirectX itself does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "d3d9/d3d9types.h"

namespace d3dx {

struct XMaterial {
  D3DMATERIAL9 material{};  // face colour as diffuse, power, specular, emissive
  std::string textureFile;  // empty when the material names no texture
};

struct XMesh {
  std::string name;
  float world[16];                      // row vectors: v' = v * world (all frames applied)
  std::vector<float> positions;         // 3 per vertex
  std::vector<uint32_t> faceSizes;      // corners per polygon
  std::vector<uint32_t> faceIndices;    // all polygons' vertex indices, in order
  std::vector<float> normals;           // 3 per normal (empty without MeshNormals)
  std::vector<uint32_t> normalIndices;  // per corner, parallel to faceIndices
  std::vector<float> uvs;               // 2 per vertex (empty without MeshTextureCoords)
  std::vector<uint32_t> colors;         // A8R8G8B8 per vertex (empty without MeshVertexColors)
  std::vector<uint32_t> faceMaterials;  // per polygon (empty without MeshMaterialList)
  std::vector<XMaterial> materials;

  size_t VertexCount() const { return positions.size() / 3; }
};

// S_OK, or D3DXERR_INVALIDDATA with `error` saying what is wrong and where.
HRESULT ReadXFile(const unsigned char* data, size_t size, std::vector<XMesh>* meshes,
                  std::string* error);

}  // namespace d3dx

// libFuzzer target for the .x mesh loader: any bytes as a text or binary .x file, then what
// D3DXLoadMeshFromX builds from the result (adjacency, attribute table). A loaded mesh must
// be consistent: every index names a vertex, every attribute a material.
#include <cstddef>
#include <cstdint>
#include <string>

#include "d3dx9/xfile_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  d3dx::MeshData mesh;
  std::string error;
  if (FAILED(d3dx::ImportXFileMemory(data, size, &mesh, &error))) {
    if (error.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  if (mesh.indices.size() != mesh.attributes.size() * 3 ||
      mesh.vertices.size() != static_cast<size_t>(mesh.numVertices) * mesh.stride ||
      mesh.materials.empty())
    __builtin_trap();
  for (uint32_t index : mesh.indices)
    if (index >= mesh.numVertices) __builtin_trap();
  for (DWORD attribute : mesh.attributes)
    if (attribute >= mesh.materials.size()) __builtin_trap();
  d3dx::ComputeAdjacency(mesh);
  d3dx::BuildAttributeTable(mesh.attributes, mesh.indices);
  return 0;
}

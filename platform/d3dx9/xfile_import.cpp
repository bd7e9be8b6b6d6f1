// .x import: our reader (xfile_reader.h) gives the file's meshes as stored; this turns them
// into one vertex and index array as D3DXLoadMeshFromX does. Coordinates, UVs and winding
// stay as stored (left-handed, v down); a vertex used with different normals is split.
#include "d3dx9/xfile_import.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>

#include "d3d9/d3d9types.h"
#include "d3dx9/file_read.h"
#include "d3dx9/media_limits.h"
#include "d3dx9/xfile_reader.h"

namespace d3dx {
namespace {

struct Layout {
  bool normals = false;
  bool colors = false;
  bool uvs = false;
};

MeshMaterial DefaultMaterial() {
  MeshMaterial m;
  m.material.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
  m.material.Specular = {0.5f, 0.5f, 0.5f, 1.0f};
  m.material.Emissive = {0, 0, 0, 1.0f};
  m.material.Power = 0.0f;
  return m;
}

bool IsIdentity(const float m[16]) {
  for (int i = 0; i < 16; ++i)
    if (m[i] != ((i % 5 == 0) ? 1.0f : 0.0f)) return false;
  return true;
}

// Normals go through the inverse transpose of the upper 3 x 3 part, then are renormalised.
void NormalMatrix(const float m[16], float n[9]) {
  const float a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9],
              i = m[10];
  const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
  const float inv = det != 0 ? 1.0f / det : 0.0f;
  // Inverse transpose = cofactor matrix / det.
  n[0] = (e * i - f * h) * inv, n[1] = -(d * i - f * g) * inv, n[2] = (d * h - e * g) * inv;
  n[3] = -(b * i - c * h) * inv, n[4] = (a * i - c * g) * inv, n[5] = -(a * h - b * g) * inv;
  n[6] = (b * f - c * e) * inv, n[7] = -(a * f - c * d) * inv, n[8] = (a * e - b * d) * inv;
}

class Builder {
 public:
  Builder(Layout layout, MeshData* out) : layout_(layout), out_(*out) {
    out_.fvf = D3DFVF_XYZ | (layout.normals ? D3DFVF_NORMAL : 0) |
               (layout.colors ? D3DFVF_DIFFUSE : 0) | (layout.uvs ? D3DFVF_TEX1 : 0);
    out_.stride = 12 + (layout.normals ? 12 : 0) + (layout.colors ? 4 : 0) + (layout.uvs ? 8 : 0);
  }

  // Appends one mesh: its vertices in file order, then the extra copies of vertices that
  // faces use with more than one normal; triangles as fans; attributes offset past the
  // materials of earlier meshes.
  HRESULT Append(const XMesh& mesh, std::string* error) {
    const uint32_t base = out_.numVertices;
    const uint32_t fileVertices = static_cast<uint32_t>(mesh.VertexCount());
    std::vector<uint32_t> source(fileVertices);           // file vertex of each output vertex
    std::vector<uint32_t> normalOf(fileVertices, kNone);  // normal of each output vertex
    for (uint32_t v = 0; v < fileVertices; ++v) source[v] = v;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> splits;
    const bool normals = !mesh.normals.empty();

    const uint32_t materialBase = static_cast<uint32_t>(out_.materials.size());
    for (const XMaterial& m : mesh.materials) out_.materials.push_back({m.material, m.textureFile});
    const uint32_t lastMaterial =
        mesh.materials.empty() ? DefaultMaterialIndex() : materialBase + mesh.materials.size() - 1;

    size_t corner = 0;
    for (size_t f = 0; f < mesh.faceSizes.size(); ++f) {
      const uint32_t corners = mesh.faceSizes[f];
      std::vector<uint32_t> polygon(corners);
      for (uint32_t k = 0; k < corners; ++k, ++corner) {
        uint32_t v = mesh.faceIndices[corner];
        if (normals) {
          const uint32_t n = mesh.normalIndices[corner];
          if (normalOf[v] == kNone) {
            normalOf[v] = n;
          } else if (normalOf[v] != n) {
            auto found = splits.emplace(std::make_pair(v, n), static_cast<uint32_t>(source.size()));
            if (found.second) {
              if (base + source.size() >= kMaxMeshVertices) {
                *error = "more than the limit of " + std::to_string(kMaxMeshVertices) +
                         " vertices once split by their normals";
                return D3DXERR_INVALIDDATA;
              }
              source.push_back(v);
              normalOf.push_back(n);
            }
            v = found.first->second;
          }
        }
        polygon[k] = base + v;
      }
      const uint32_t attribute = mesh.faceMaterials.empty()
                                     ? lastMaterial
                                     : std::min(materialBase + mesh.faceMaterials[f], lastMaterial);
      for (uint32_t k = 2; k < corners; ++k) {
        out_.indices.insert(out_.indices.end(), {polygon[0], polygon[k - 1], polygon[k]});
        out_.attributes.push_back(attribute);
      }
    }
    WriteVertices(mesh, source, normalOf);
    return S_OK;
  }

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  uint32_t DefaultMaterialIndex() {
    if (defaultMaterial_ == kNone) {
      defaultMaterial_ = static_cast<uint32_t>(out_.materials.size());
      out_.materials.push_back(DefaultMaterial());
    }
    return defaultMaterial_;
  }

  void WriteVertices(const XMesh& mesh, const std::vector<uint32_t>& source,
                     const std::vector<uint32_t>& normalOf) {
    const bool identity = IsIdentity(mesh.world);
    float nm[9];
    NormalMatrix(mesh.world, nm);
    const float* w = mesh.world;
    const size_t offset = out_.vertices.size();
    out_.vertices.resize(offset + source.size() * out_.stride, 0);
    for (size_t i = 0; i < source.size(); ++i) {
      const uint32_t v = source[i];
      unsigned char* dst = &out_.vertices[offset + i * out_.stride];
      float p[3] = {mesh.positions[v * 3], mesh.positions[v * 3 + 1], mesh.positions[v * 3 + 2]};
      if (!identity) {
        const float x = p[0], y = p[1], z = p[2];
        p[0] = x * w[0] + y * w[4] + z * w[8] + w[12];
        p[1] = x * w[1] + y * w[5] + z * w[9] + w[13];
        p[2] = x * w[2] + y * w[6] + z * w[10] + w[14];
      }
      std::memcpy(dst, p, 12);
      dst += 12;
      if (layout_.normals) {
        float n[3] = {0, 0, 0};
        if (normalOf[i] != kNone) {
          const float* src = &mesh.normals[static_cast<size_t>(normalOf[i]) * 3];
          n[0] = src[0], n[1] = src[1], n[2] = src[2];
          if (!identity) {
            const float x = n[0], y = n[1], z = n[2];
            n[0] = x * nm[0] + y * nm[3] + z * nm[6];
            n[1] = x * nm[1] + y * nm[4] + z * nm[7];
            n[2] = x * nm[2] + y * nm[5] + z * nm[8];
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            if (length > 0) n[0] /= length, n[1] /= length, n[2] /= length;
          }
        }
        std::memcpy(dst, n, 12);
        dst += 12;
      }
      if (layout_.colors) {
        const DWORD argb = mesh.colors.empty() ? 0xFFFFFFFFu : mesh.colors[v];
        std::memcpy(dst, &argb, 4);
        dst += 4;
      }
      if (layout_.uvs) {
        float uv[2] = {0, 0};
        if (!mesh.uvs.empty()) uv[0] = mesh.uvs[v * 2], uv[1] = mesh.uvs[v * 2 + 1];
        std::memcpy(dst, uv, 8);
      }
    }
    out_.numVertices += static_cast<UINT>(source.size());
  }

  Layout layout_;
  MeshData& out_;
  uint32_t defaultMaterial_ = kNone;
};

}  // namespace

HRESULT ImportXFileMemory(const unsigned char* data, size_t size, MeshData* out,
                          std::string* error) {
  *out = MeshData();
  std::vector<XMesh> meshes;
  HRESULT hr = ReadXFile(data, size, &meshes, error);
  if (FAILED(hr)) return hr;

  Layout layout;
  bool anyTriangles = false;
  for (const XMesh& m : meshes) {
    for (uint32_t corners : m.faceSizes) anyTriangles |= corners >= 3;
    layout.normals |= !m.normals.empty();
    layout.colors |= !m.colors.empty();
    layout.uvs |= !m.uvs.empty();
  }
  if (!anyTriangles) {
    if (error) *error = "the file holds no triangles";
    return D3DXERR_LOADEDMESHASNODATA;
  }

  Builder builder(layout, out);
  std::string reason;
  for (const XMesh& m : meshes) {
    hr = builder.Append(m, &reason);
    if (FAILED(hr)) {
      if (error) *error = reason;
      *out = MeshData();
      return hr;
    }
  }
  if (out->materials.empty()) out->materials.push_back(DefaultMaterial());

  // Group faces by material (stable, so each material keeps the file's face order) for one
  // attribute range per material.
  std::vector<size_t> order(out->attributes.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return out->attributes[a] < out->attributes[b]; });
  std::vector<uint32_t> indices;
  std::vector<DWORD> attributes;
  indices.reserve(out->indices.size());
  attributes.reserve(out->attributes.size());
  for (size_t f : order) {
    attributes.push_back(out->attributes[f]);
    indices.insert(indices.end(), &out->indices[f * 3], &out->indices[f * 3] + 3);
  }
  out->indices = std::move(indices);
  out->attributes = std::move(attributes);
  return S_OK;
}

HRESULT ImportXFile(const std::string& path, MeshData* out, std::string* error) {
  *out = MeshData();
  std::vector<unsigned char> bytes;
  switch (ReadRegularFile(path, kMaxMeshFileBytes, &bytes, error)) {
    case FileReadResult::kNotFound:
      return D3DERR_NOTAVAILABLE;
    case FileReadResult::kRefused:
      return D3DERR_NOTAVAILABLE;
    case FileReadResult::kOk:
      break;
  }
  return ImportXFileMemory(bytes.data(), bytes.size(), out, error);
}

std::vector<DWORD> ComputeAdjacency(const MeshData& mesh) {
  const size_t faces = mesh.indices.size() / 3;
  std::vector<DWORD> adjacency(faces * 3, 0xFFFFFFFFu);
  // Representative vertex per position.
  std::map<std::tuple<float, float, float>, uint32_t> byPosition;
  std::vector<uint32_t> rep(mesh.numVertices);
  for (uint32_t v = 0; v < mesh.numVertices; ++v) {
    float p[3];
    std::memcpy(p, &mesh.vertices[static_cast<size_t>(v) * mesh.stride], 12);
    rep[v] = byPosition.emplace(std::make_tuple(p[0], p[1], p[2]), v).first->second;
  }
  // Directed edge (a, b) of face f, edge slot e; a neighbour runs the same edge as (b, a).
  std::map<std::pair<uint32_t, uint32_t>, std::pair<DWORD, int>> open;
  for (size_t f = 0; f < faces; ++f) {
    for (int e = 0; e < 3; ++e) {
      const uint32_t a = rep[mesh.indices[f * 3 + e]];
      const uint32_t b = rep[mesh.indices[f * 3 + (e + 1) % 3]];
      if (a == b) continue;  // degenerate edge
      auto match = open.find({b, a});
      if (match != open.end()) {
        adjacency[f * 3 + e] = match->second.first;
        adjacency[match->second.first * 3 + match->second.second] = static_cast<DWORD>(f);
        open.erase(match);
      } else {
        open.emplace(std::make_pair(a, b), std::make_pair(static_cast<DWORD>(f), e));
      }
    }
  }
  return adjacency;
}

std::vector<D3DXATTRIBUTERANGE> BuildAttributeTable(const std::vector<DWORD>& attributes,
                                                    const std::vector<uint32_t>& indices) {
  std::vector<D3DXATTRIBUTERANGE> table;
  for (size_t f = 0; f < attributes.size(); ++f) {
    uint32_t lo = indices[f * 3], hi = indices[f * 3];
    for (int k = 1; k < 3; ++k) {
      lo = std::min(lo, indices[f * 3 + k]);
      hi = std::max(hi, indices[f * 3 + k]);
    }
    if (table.empty() || table.back().AttribId != attributes[f]) {
      table.push_back({attributes[f], static_cast<DWORD>(f), 0, lo, hi - lo + 1});
    }
    D3DXATTRIBUTERANGE& r = table.back();
    ++r.FaceCount;
    const DWORD end = std::max(r.VertexStart + r.VertexCount, hi + 1);
    r.VertexStart = std::min<DWORD>(r.VertexStart, lo);
    r.VertexCount = end - r.VertexStart;
  }
  return table;
}

}  // namespace d3dx

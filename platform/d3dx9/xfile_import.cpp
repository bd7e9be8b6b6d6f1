// .x import through assimp. Assimp's X reader turns the file's left-handed data into its
// right-handed convention (z negated, winding reversed, v flipped); ConvertToLeftHanded
// undoes exactly those three steps, so vertices, UVs and winding come out as stored.
#include "d3dx9/xfile_import.h"

#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/stat.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>

#include "d3d9/d3d9types.h"

namespace d3dx {
namespace {

constexpr unsigned kImportFlags = aiProcess_ConvertToLeftHanded | aiProcess_Triangulate |
                                  aiProcess_JoinIdenticalVertices | aiProcess_SortByPType;

struct Layout {
  bool normals = false;
  bool colors = false;
  bool uvs = false;
};

// Meshes that hold triangles (lines and points are dropped, as D3DX meshes are triangles).
bool IsTriangleMesh(const aiMesh* m) {
  return (m->mPrimitiveTypes & aiPrimitiveType_TRIANGLE) != 0;
}

D3DCOLORVALUE ToColor(const aiColor4D& c) {
  return {c.r, c.g, c.b, c.a};
}

MeshMaterial ConvertMaterial(const aiMaterial* src) {
  MeshMaterial out;
  aiColor4D c(0, 0, 0, 0);
  if (src->Get(AI_MATKEY_COLOR_DIFFUSE, c) == AI_SUCCESS) out.material.Diffuse = ToColor(c);
  // The file's opacity is the diffuse alpha; some assimp versions report it separately.
  float opacity = 1.0f;
  if (src->Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && out.material.Diffuse.a == 1.0f)
    out.material.Diffuse.a = opacity;
  c = aiColor4D(0, 0, 0, 0);
  if (src->Get(AI_MATKEY_COLOR_SPECULAR, c) == AI_SUCCESS) out.material.Specular = ToColor(c);
  out.material.Specular.a = 1.0f;
  c = aiColor4D(0, 0, 0, 0);
  if (src->Get(AI_MATKEY_COLOR_EMISSIVE, c) == AI_SUCCESS) out.material.Emissive = ToColor(c);
  out.material.Emissive.a = 1.0f;
  float power = 0.0f;
  if (src->Get(AI_MATKEY_SHININESS, power) == AI_SUCCESS) out.material.Power = power;
  // .x files carry no ambient colour; D3DX leaves it black.
  out.material.Ambient = {0, 0, 0, 0};

  // Assimp sorts texture names into kinds by suffix ("_normal", "_bump", ...); a .x
  // material has one name whatever it is called, so take the first found.
  static const aiTextureType kTypes[] = {
      aiTextureType_DIFFUSE, aiTextureType_AMBIENT, aiTextureType_SPECULAR, aiTextureType_EMISSIVE,
      aiTextureType_NORMALS, aiTextureType_HEIGHT,  aiTextureType_LIGHTMAP, aiTextureType_UNKNOWN};
  for (aiTextureType type : kTypes) {
    aiString name;
    if (src->GetTextureCount(type) > 0 && src->GetTexture(type, 0, &name) == AI_SUCCESS &&
        name.length > 0) {
      out.textureFile = name.C_Str();
      break;
    }
  }
  return out;
}

MeshMaterial DefaultMaterial() {
  MeshMaterial m;
  m.material.Diffuse = {0.5f, 0.5f, 0.5f, 1.0f};
  m.material.Specular = {0.5f, 0.5f, 0.5f, 1.0f};
  m.material.Emissive = {0, 0, 0, 1.0f};
  m.material.Power = 0.0f;
  return m;
}

class Builder {
 public:
  Builder(const aiScene* scene, Layout layout) : scene_(scene), layout_(layout) {
    fvf_ = D3DFVF_XYZ | (layout.normals ? D3DFVF_NORMAL : 0) |
           (layout.colors ? D3DFVF_DIFFUSE : 0) | (layout.uvs ? D3DFVF_TEX1 : 0);
    stride_ = 12 + (layout.normals ? 12 : 0) + (layout.colors ? 4 : 0) + (layout.uvs ? 8 : 0);
  }

  void Walk(const aiNode* node, const aiMatrix4x4& parent, MeshData* out) {
    const aiMatrix4x4 world = parent * node->mTransformation;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
      const aiMesh* mesh = scene_->mMeshes[node->mMeshes[i]];
      if (IsTriangleMesh(mesh)) Append(mesh, world, out);
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) Walk(node->mChildren[i], world, out);
  }

  DWORD fvf() const { return fvf_; }
  UINT stride() const { return stride_; }

 private:
  void Append(const aiMesh* mesh, const aiMatrix4x4& world, MeshData* out) {
    const bool identity = world.IsIdentity();
    aiMatrix3x3 normalMatrix(world);
    normalMatrix.Inverse().Transpose();
    const uint32_t base = out->numVertices;
    const size_t offset = out->vertices.size();
    out->vertices.resize(offset + static_cast<size_t>(mesh->mNumVertices) * stride_, 0);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
      unsigned char* dst = &out->vertices[offset + static_cast<size_t>(v) * stride_];
      aiVector3D p = mesh->mVertices[v];
      if (!identity) p = world * p;
      const float pos[3] = {p.x, p.y, p.z};
      std::memcpy(dst, pos, 12);
      dst += 12;
      if (layout_.normals) {
        aiVector3D n = mesh->HasNormals() ? mesh->mNormals[v] : aiVector3D(0, 0, 0);
        if (!identity && mesh->HasNormals()) {
          n = normalMatrix * n;
          const float len = n.Length();
          if (len > 0) n /= len;
        }
        const float nrm[3] = {n.x, n.y, n.z};
        std::memcpy(dst, nrm, 12);
        dst += 12;
      }
      if (layout_.colors) {
        DWORD argb = 0xFFFFFFFFu;
        if (mesh->HasVertexColors(0)) {
          const aiColor4D& c = mesh->mColors[0][v];
          auto byte = [](float f) {
            return static_cast<DWORD>(std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f));
          };
          argb = (byte(c.a) << 24) | (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
        }
        std::memcpy(dst, &argb, 4);
        dst += 4;
      }
      if (layout_.uvs) {
        float uv[2] = {0, 0};
        if (mesh->HasTextureCoords(0)) {
          uv[0] = mesh->mTextureCoords[0][v].x;
          uv[1] = mesh->mTextureCoords[0][v].y;
        }
        std::memcpy(dst, uv, 8);
      }
    }
    out->numVertices += mesh->mNumVertices;
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiFace& face = mesh->mFaces[f];
      if (face.mNumIndices != 3) continue;
      for (int k = 0; k < 3; ++k) out->indices.push_back(base + face.mIndices[k]);
      out->attributes.push_back(mesh->mMaterialIndex);
    }
  }

  const aiScene* scene_;
  Layout layout_;
  DWORD fvf_ = 0;
  UINT stride_ = 0;
};

}  // namespace

HRESULT ImportXFile(const std::string& path, MeshData* out, std::string* error) {
  *out = MeshData();
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    if (error) *error = "cannot open file";
    return D3DERR_NOTAVAILABLE;
  }
  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(path, kImportFlags);
  if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE)) {
    if (error) *error = importer.GetErrorString();
    return D3DXERR_INVALIDDATA;
  }

  Layout layout;
  bool anyTriangles = false;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
    const aiMesh* m = scene->mMeshes[i];
    if (!IsTriangleMesh(m)) continue;
    anyTriangles = true;
    layout.normals |= m->HasNormals();
    layout.colors |= m->HasVertexColors(0);
    layout.uvs |= m->HasTextureCoords(0);
  }
  if (!anyTriangles) {
    if (error) *error = "the file holds no triangles";
    return D3DXERR_LOADEDMESHASNODATA;
  }

  Builder builder(scene, layout);
  out->fvf = builder.fvf();
  out->stride = builder.stride();
  builder.Walk(scene->mRootNode, aiMatrix4x4(), out);
  if (out->attributes.empty()) {
    if (error) *error = "the file holds no triangles";
    return D3DXERR_LOADEDMESHASNODATA;
  }

  for (unsigned i = 0; i < scene->mNumMaterials; ++i)
    out->materials.push_back(ConvertMaterial(scene->mMaterials[i]));
  if (out->materials.empty()) out->materials.push_back(DefaultMaterial());
  // Faces must name an existing material; clamp anything assimp left out of range.
  const DWORD last = static_cast<DWORD>(out->materials.size() - 1);
  for (DWORD& a : out->attributes) a = std::min(a, last);

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

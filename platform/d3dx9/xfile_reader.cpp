// .x reading: the lexer (xfile_lexer) yields one kind of token stream from text and binary
// files; the parser reads the data objects it knows (Frame, FrameTransformMatrix, Mesh,
// MeshNormals, MeshTextureCoords, MeshVertexColors, MeshMaterialList, Material, TextureFilename)
// and skips the others (templates, animation, skinning) without recursion.
#include "d3dx9/xfile_reader.h"

#include <strings.h>

#include <array>
#include <cstring>
#include <map>
#include <string>

#include "d3dx9/d3dx9err.h"
#include "d3dx9/d3dx9math.h"
#include "d3dx9/media_limits.h"
#include "d3dx9/xfile_lexer.h"
#include "d3dx9/xfile_mszip.h"

namespace d3dx {
namespace {

using xfile::Fail;
using xfile::Lexer;
using xfile::ParseError;
using xfile::Tok;
using xfile::Token;

struct Frame {
  float local[16];
  int parent;
};

void Identity(float m[16]) {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}

// r = a * b for row-vector matrices.
void Multiply(const float a[16], const float b[16], float r[16]) {
  const D3DXMATRIX left(a), right(b);
  D3DXMATRIX product;
  D3DXMatrixMultiply(&product, &left, &right);
  std::memcpy(r, &product, sizeof product);
}

class Parser {
 public:
  Parser(Lexer* lex, std::vector<XMesh>* meshes) : lex_(*lex), meshes_(*meshes) {}

  void ParseFile() {
    frames_.push_back(Frame{{}, -1});
    Identity(frames_[0].local);
    while (true) {
      const Token t = lex_.Next();
      switch (t.kind) {
        case Tok::kEnd:
          ApplyFrames();
          return;
        case Tok::kTemplate:
          SkipTemplate();
          break;
        case Tok::kName:
          ParseObject(t.text, 0, 0);
          break;
        case Tok::kOpenBrace:
          SkipBlock();  // a reference at the top level means nothing
          break;
        default:
          Fail("data outside any object " + lex_.Where());
      }
    }
  }

 private:
  // After the type name: an optional object name, the opening brace and an optional GUID.
  std::string OpenObject() {
    std::string name;
    if (lex_.Peek().kind == Tok::kName) name = lex_.Next().text;
    if (lex_.Next().kind != Tok::kOpenBrace) Fail("'{' expected " + lex_.Where());
    if (lex_.Peek().kind == Tok::kGuid) lex_.Next();
    return name;
  }

  // Skips to the brace closing the one just read, however deep the nesting: iteration only.
  void SkipBlock() {
    uint64_t depth = 1;
    while (depth > 0) {
      const Token t = lex_.Next();
      if (t.kind == Tok::kEnd) Fail("the file ends inside an object");
      if (t.kind == Tok::kOpenBrace) ++depth;
      if (t.kind == Tok::kCloseBrace) --depth;
    }
  }

  void SkipTemplate() {
    if (lex_.Next().kind != Tok::kName) Fail("a template without a name " + lex_.Where());
    if (lex_.Next().kind != Tok::kOpenBrace) Fail("'{' expected " + lex_.Where());
    SkipBlock();
  }

  // The children of an object until its closing brace: `child` handles known data objects
  // and returns false for others, which are skipped. References and stray data are ignored.
  template <typename Child>
  void Children(Child child) {
    while (true) {
      Token t = lex_.Next();
      switch (t.kind) {
        case Tok::kEnd:
          Fail("the file ends inside an object");
        case Tok::kCloseBrace:
          return;
        case Tok::kOpenBrace:
          SkipBlock();
          break;
        case Tok::kName:
          if (!child(t.text)) {
            OpenObject();
            SkipBlock();
          }
          break;
        case Tok::kTemplate:
          SkipTemplate();
          break;
        default:
          break;  // data past what the object's template declares
      }
    }
  }

  void ParseObject(const std::string& type, int frame, uint32_t depth) {
    if (Is(type, "Frame")) {
      ParseFrame(frame, depth + 1);
    } else if (Is(type, "Mesh")) {
      ParseMesh(frame);
    } else if (Is(type, "Material")) {
      const std::string name = OpenObject();
      namedMaterials_[name] = ParseMaterialBody();
    } else {
      OpenObject();
      SkipBlock();
    }
  }

  void ParseFrame(int parent, uint32_t depth) {
    if (depth > kMaxFrameDepth)
      Fail("frames nested more than " + std::to_string(kMaxFrameDepth) + " deep " + lex_.Where());
    OpenObject();
    const int self = static_cast<int>(frames_.size());
    frames_.push_back(Frame{{}, parent});
    Identity(frames_[self].local);
    Children([&](const std::string& type) {
      if (Is(type, "FrameTransformMatrix")) {
        OpenObject();
        for (float& v : frames_[self].local) v = Float();
        Children([](const std::string&) { return false; });
        return true;
      }
      if (Is(type, "Frame") || Is(type, "Mesh") || Is(type, "Material")) {
        ParseObject(type, self, depth);
        return true;
      }
      return false;
    });
  }

  void ParseMesh(int frame) {
    XMesh mesh;
    mesh.name = OpenObject();
    const uint32_t vertices = Count("vertices", kMaxMeshVertices);
    // Nothing is reserved from a count: the data that follows decides what is stored.
    for (uint32_t i = 0; i < vertices * 3; ++i) mesh.positions.push_back(Float());
    ReadPolygons(vertices, "vertex", &mesh.faceSizes, &mesh.faceIndices);

    Children([&](const std::string& type) {
      if (Is(type, "MeshNormals")) {
        ReadNormals(&mesh);
      } else if (Is(type, "MeshTextureCoords")) {
        OpenObject();
        const uint32_t count = Count("texture coordinates", kMaxMeshVertices);
        std::vector<float> uvs;
        for (uint32_t i = 0; i < count * 2; ++i) uvs.push_back(Float());
        uvs.resize(mesh.positions.size() / 3 * 2, 0.0f);  // missing ones are 0
        mesh.uvs = std::move(uvs);
        Children([](const std::string&) { return false; });
      } else if (Is(type, "MeshVertexColors")) {
        OpenObject();
        const uint32_t count = Count("vertex colours", kMaxMeshVertices);
        mesh.colors.assign(vertices, 0xFFFFFFFFu);
        for (uint32_t i = 0; i < count; ++i) {
          const uint32_t index = Uint();
          float c[4];
          for (float& v : c) v = Float();
          if (index >= vertices)
            Fail("a vertex colour for vertex " + std::to_string(index) + " of " +
                 std::to_string(vertices) + " " + lex_.Where());
          mesh.colors[index] =
              (Byte(c[3]) << 24) | (Byte(c[0]) << 16) | (Byte(c[1]) << 8) | Byte(c[2]);
        }
        Children([](const std::string&) { return false; });
      } else if (Is(type, "MeshMaterialList")) {
        ReadMaterialList(&mesh);
      } else {
        return false;
      }
      return true;
    });
    totalVertices_ += mesh.VertexCount();
    if (totalVertices_ > kMaxMeshVertices)
      Fail("more than the limit of " + std::to_string(kMaxMeshVertices) + " vertices");
    meshFrames_.push_back(frame);
    meshes_.push_back(std::move(mesh));
  }

  void ReadPolygons(uint32_t vertices, const char* what, std::vector<uint32_t>* sizes,
                    std::vector<uint32_t>* indices) {
    const uint32_t faces = Count("faces", kMaxMeshFaces);
    for (uint32_t f = 0; f < faces; ++f) {
      const uint32_t corners = Uint();
      // A polygon of n corners becomes n - 2 triangles.
      totalTriangles_ += corners > 2 ? corners - 2 : 0;
      if (totalTriangles_ > kMaxMeshFaces)
        Fail("more than the limit of " + std::to_string(kMaxMeshFaces) + " triangles " +
             lex_.Where());
      sizes->push_back(corners);
      for (uint32_t k = 0; k < corners; ++k) {
        const uint32_t index = Uint();
        if (index >= vertices)
          Fail(std::string("face ") + std::to_string(f) + " uses " + what + " " +
               std::to_string(index) + " of " + std::to_string(vertices) + " " + lex_.Where());
        indices->push_back(index);
      }
    }
  }

  void ReadNormals(XMesh* mesh) {
    OpenObject();
    const uint32_t count = Count("normals", kMaxMeshVertices);
    mesh->normals.clear();
    for (uint32_t i = 0; i < count * 3; ++i) mesh->normals.push_back(Float());
    std::vector<uint32_t> sizes;
    mesh->normalIndices.clear();
    // The triangle count was already taken from the faces: the normals' faces must match
    // them one for one.
    const uint64_t trianglesBefore = totalTriangles_;
    ReadPolygons(count, "normal", &sizes, &mesh->normalIndices);
    totalTriangles_ = trianglesBefore;
    if (sizes != mesh->faceSizes)
      Fail("the normals' faces do not match the mesh's faces " + lex_.Where());
    Children([](const std::string&) { return false; });
  }

  void ReadMaterialList(XMesh* mesh) {
    OpenObject();
    const uint32_t materials = Count("materials", kMaxMeshMaterials);
    const uint32_t indices = Count("face materials", kMaxMeshFaces);
    std::vector<uint32_t> faceMaterials;
    for (uint32_t i = 0; i < indices; ++i) faceMaterials.push_back(Uint());
    // Faces past the list take its last entry.
    const uint32_t last = faceMaterials.empty() ? 0 : faceMaterials.back();
    faceMaterials.resize(mesh->faceSizes.size(), last);
    mesh->faceMaterials = std::move(faceMaterials);
    mesh->materials.clear();
    while (true) {
      const Token t = lex_.Next();
      if (t.kind == Tok::kCloseBrace) break;
      if (t.kind == Tok::kEnd) Fail("the file ends inside a material list");
      if (t.kind == Tok::kOpenBrace) {
        // A reference to a material defined earlier, by name (or by GUID, which we skip).
        std::string name;
        if (lex_.Peek().kind == Tok::kName) name = lex_.Next().text;
        SkipBlock();
        auto found = namedMaterials_.find(name);
        if (found == namedMaterials_.end()) Fail("no material named \"" + name + "\"");
        mesh->materials.push_back(found->second);
      } else if (t.kind == Tok::kName && Is(t.text, "Material")) {
        const std::string name = OpenObject();
        mesh->materials.push_back(ParseMaterialBody());
        if (!name.empty()) namedMaterials_[name] = mesh->materials.back();
      } else if (t.kind == Tok::kName) {
        OpenObject();
        SkipBlock();
      } else if (t.kind == Tok::kTemplate) {
        SkipTemplate();
      }
      if (mesh->materials.size() > kMaxMeshMaterials)
        Fail("more than the limit of " + std::to_string(kMaxMeshMaterials) + " materials");
    }
    if (mesh->materials.size() < materials)
      Fail("the material list names " + std::to_string(materials) + " materials and holds " +
           std::to_string(mesh->materials.size()));
  }

  XMaterial ParseMaterialBody() {
    XMaterial m;
    float c[4];
    for (float& v : c) v = Float();
    m.material.Diffuse = {c[0], c[1], c[2], c[3]};
    m.material.Power = Float();
    for (int i = 0; i < 3; ++i) c[i] = Float();
    m.material.Specular = {c[0], c[1], c[2], 1.0f};
    for (int i = 0; i < 3; ++i) c[i] = Float();
    m.material.Emissive = {c[0], c[1], c[2], 1.0f};
    m.material.Ambient = {0, 0, 0, 0};  // .x materials carry none
    Children([&](const std::string& type) {
      if (!Is(type, "TextureFilename") && !Is(type, "TextureFileName")) return false;
      OpenObject();
      const Token name = lex_.Next();
      if (name.kind != Tok::kString) Fail("a texture file name expected " + lex_.Where());
      if (m.textureFile.empty()) m.textureFile = name.text;
      Children([](const std::string&) { return false; });
      return true;
    });
    return m;
  }

  // Frames were read parent first: each world matrix is the local one times its parent's.
  void ApplyFrames() {
    std::vector<std::array<float, 16>> world(frames_.size());
    for (size_t i = 0; i < frames_.size(); ++i) {
      if (frames_[i].parent < 0) {
        std::memcpy(world[i].data(), frames_[i].local, sizeof frames_[i].local);
      } else {
        Multiply(frames_[i].local, world[frames_[i].parent].data(), world[i].data());
      }
    }
    for (size_t m = 0; m < meshes_.size(); ++m)
      std::memcpy(meshes_[m].world, world[meshFrames_[m]].data(), sizeof meshes_[m].world);
  }

  static bool Is(const std::string& a, const char* b) { return ::strcasecmp(a.c_str(), b) == 0; }
  static uint32_t Byte(float f) {
    const float c = f < 0 ? 0 : (f > 1 ? 1 : f);
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
  }

  float Float() {
    const Token t = lex_.Next();
    if (t.kind != Tok::kFloat && t.kind != Tok::kInteger) Fail("a number expected " + lex_.Where());
    return static_cast<float>(t.number);
  }
  uint32_t Uint() {
    const Token t = lex_.Next();
    if (t.kind != Tok::kInteger && t.kind != Tok::kFloat)
      Fail("a whole number expected " + lex_.Where());
    if (!(t.number >= 0 && t.number <= 4294967295.0))
      Fail("a count or index out of range " + lex_.Where());
    return static_cast<uint32_t>(t.number);
  }
  uint32_t Count(const char* what, uint32_t limit) {
    const uint32_t n = Uint();
    if (n > limit)
      Fail(std::to_string(n) + " " + what + " is more than the limit of " + std::to_string(limit) +
           " " + lex_.Where());
    return n;
  }

  Lexer& lex_;
  std::vector<XMesh>& meshes_;
  std::vector<Frame> frames_;
  std::vector<int> meshFrames_;
  std::map<std::string, XMaterial> namedMaterials_;
  uint64_t totalVertices_ = 0;
  uint64_t totalTriangles_ = 0;
};

}  // namespace

HRESULT ReadXFile(const unsigned char* data, size_t size, std::vector<XMesh>* meshes,
                  std::string* error) {
  meshes->clear();
  if (size < 16 || std::memcmp(data, "xof ", 4) != 0) {
    if (error) *error = "not a .x file (no \"xof \" header)";
    return D3DXERR_INVALIDDATA;
  }
  const std::string format(reinterpret_cast<const char*>(data + 8), 4);
  const std::string floatSize(reinterpret_cast<const char*>(data + 12), 4);
  if (format == "tzip" || format == "bzip") {
    std::vector<unsigned char> inflated;
    if (!InflateXFile(data, size, kMaxMeshFileBytes, &inflated, error)) return D3DXERR_INVALIDDATA;
    return ReadXFile(inflated.data(), inflated.size(), meshes, error);
  }
  if ((format != "txt " && format != "bin ") || (floatSize != "0032" && floatSize != "0064")) {
    if (error) *error = "unknown .x format \"" + format + floatSize + "\"";
    return D3DXERR_INVALIDDATA;
  }
  Lexer lexer(data, size, format == "bin ", floatSize == "0064");
  Parser parser(&lexer, meshes);
  try {
    parser.ParseFile();
  } catch (const ParseError& e) {
    meshes->clear();
    if (error) *error = e.what;
    return D3DXERR_INVALIDDATA;
  } catch (const std::bad_alloc&) {
    meshes->clear();
    if (error) *error = "out of memory";
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace d3dx

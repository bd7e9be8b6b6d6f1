// The .x writers of vexil-xmeshgen: the same templates in the text and the binary encoding.
#include "xfile_writer.h"

#include <cstring>
#include <string>

namespace xmeshgen {

namespace {

// A comma between the items of a list, a semicolon after the last.
const char* Separator(size_t i, size_t count) {
  return i + 1 == count ? ";" : ",";
}

void WriteFaceList(FILE* f, const std::vector<std::vector<uint32_t>>& faces, const char* indent) {
  std::fprintf(f, "%s%zu;\n", indent, faces.size());
  for (size_t i = 0; i < faces.size(); ++i) {
    std::fprintf(f, "%s%zu;", indent, faces[i].size());
    for (size_t k = 0; k < faces[i].size(); ++k) {
      std::fprintf(f, "%u%s", faces[i][k], k + 1 == faces[i].size() ? ";" : ",");
    }
    std::fprintf(f, "%s\n", Separator(i, faces.size()));
  }
}

}  // namespace

bool WriteText(FILE* f, const Mesh& mesh) {
  std::fprintf(f, "xof 0303txt 0032\n\n");
  for (const Material& m : mesh.materials) {
    const float* v = m.values;
    std::fprintf(f, "Material %s {\n %f;%f;%f;%f;;\n %f;\n %f;%f;%f;;\n %f;%f;%f;;\n",
                 m.name.c_str(), v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
    if (!m.texture.empty())
      std::fprintf(f, " TextureFilename {\n  \"%s\";\n }\n", m.texture.c_str());
    std::fprintf(f, "}\n\n");
  }
  std::fprintf(f,
               "Frame Root {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,"
               "0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n }\n\n Mesh %s {\n  %zu;\n",
               mesh.name.c_str(), mesh.positions.size());
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const Vec3& p = mesh.positions[i];
    std::fprintf(f, "  %f;%f;%f;%s\n", p.x, p.y, p.z, Separator(i, mesh.positions.size()));
  }
  WriteFaceList(f, mesh.faces, "  ");
  std::fprintf(f, "\n  MeshNormals {\n   %zu;\n", mesh.normals.size());
  for (size_t i = 0; i < mesh.normals.size(); ++i) {
    const Vec3& n = mesh.normals[i];
    std::fprintf(f, "   %f;%f;%f;%s\n", n.x, n.y, n.z, Separator(i, mesh.normals.size()));
  }
  WriteFaceList(f, mesh.normalFaces, "   ");
  const size_t uvCount = mesh.uvs.size() / 2;
  std::fprintf(f, "  }\n\n  MeshTextureCoords {\n   %zu;\n", uvCount);
  for (size_t i = 0; i < uvCount; ++i)
    std::fprintf(f, "   %f;%f;%s\n", mesh.uvs[i * 2], mesh.uvs[i * 2 + 1], Separator(i, uvCount));
  std::fprintf(f, "  }\n\n  MeshMaterialList {\n   %zu;\n   %zu;\n", mesh.materials.size(),
               mesh.faceMaterials.size());
  for (size_t i = 0; i < mesh.faceMaterials.size(); ++i)
    std::fprintf(f, "   %u%s\n", mesh.faceMaterials[i], Separator(i, mesh.faceMaterials.size()));
  for (const Material& m : mesh.materials) std::fprintf(f, "   { %s }\n", m.name.c_str());
  std::fprintf(f, "  }\n }\n}\n");
  return std::ferror(f) == 0;
}

namespace {

// Binary .x: a stream of little-endian 16-bit tokens; names and strings carry a 32-bit
// length, numbers come in integer and 32-bit float lists.
class BinaryWriter {
 public:
  enum Token : uint16_t {
    kName = 1,
    kString = 2,
    kIntegerList = 6,
    kFloatList = 7,
    kOpenBrace = 10,
    kCloseBrace = 11,
    kSemicolon = 20,
  };

  void Tok(Token t) { Word(t); }
  void Name(const std::string& s) {
    Word(kName);
    Dword(static_cast<uint32_t>(s.size()));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
  }
  void String(const std::string& s) {
    Word(kString);
    Dword(static_cast<uint32_t>(s.size()));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    Word(kSemicolon);  // a string's terminator token
  }
  void Integers(const std::vector<uint32_t>& values) {
    Word(kIntegerList);
    Dword(static_cast<uint32_t>(values.size()));
    for (uint32_t v : values) Dword(v);
  }
  void Floats(const std::vector<float>& values) {
    Word(kFloatList);
    Dword(static_cast<uint32_t>(values.size()));
    for (float v : values) {
      uint32_t bits;
      std::memcpy(&bits, &v, 4);
      Dword(bits);
    }
  }
  const std::vector<unsigned char>& Bytes() const { return bytes_; }

 private:
  void Word(uint16_t v) {
    bytes_.push_back(v & 0xff);
    bytes_.push_back(v >> 8);
  }
  void Dword(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back((v >> (8 * i)) & 0xff);
  }
  std::vector<unsigned char> bytes_;
};

std::vector<float> Flatten(const std::vector<Vec3>& points) {
  std::vector<float> floats;
  for (const Vec3& p : points) {
    floats.push_back(static_cast<float>(p.x));
    floats.push_back(static_cast<float>(p.y));
    floats.push_back(static_cast<float>(p.z));
  }
  return floats;
}

// The face count, then for each face its corner count and corners, as one integer list.
std::vector<uint32_t> FaceIntegers(const std::vector<std::vector<uint32_t>>& faces) {
  std::vector<uint32_t> list = {static_cast<uint32_t>(faces.size())};
  for (const std::vector<uint32_t>& face : faces) {
    list.push_back(static_cast<uint32_t>(face.size()));
    list.insert(list.end(), face.begin(), face.end());
  }
  return list;
}

}  // namespace

bool WriteBinary(FILE* f, const Mesh& mesh) {
  BinaryWriter w;
  for (const Material& m : mesh.materials) {
    w.Name("Material");
    w.Name(m.name);
    w.Tok(BinaryWriter::kOpenBrace);
    w.Floats(std::vector<float>(m.values, m.values + 11));
    if (!m.texture.empty()) {
      w.Name("TextureFilename");
      w.Tok(BinaryWriter::kOpenBrace);
      w.String(m.texture);
      w.Tok(BinaryWriter::kCloseBrace);
    }
    w.Tok(BinaryWriter::kCloseBrace);
  }
  w.Name("Frame");
  w.Name("Root");
  w.Tok(BinaryWriter::kOpenBrace);
  w.Name("FrameTransformMatrix");
  w.Tok(BinaryWriter::kOpenBrace);
  w.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  w.Tok(BinaryWriter::kCloseBrace);

  w.Name("Mesh");
  w.Name(mesh.name);
  w.Tok(BinaryWriter::kOpenBrace);
  w.Integers({static_cast<uint32_t>(mesh.positions.size())});
  w.Floats(Flatten(mesh.positions));
  w.Integers(FaceIntegers(mesh.faces));

  w.Name("MeshNormals");
  w.Tok(BinaryWriter::kOpenBrace);
  w.Integers({static_cast<uint32_t>(mesh.normals.size())});
  w.Floats(Flatten(mesh.normals));
  w.Integers(FaceIntegers(mesh.normalFaces));
  w.Tok(BinaryWriter::kCloseBrace);

  w.Name("MeshTextureCoords");
  w.Tok(BinaryWriter::kOpenBrace);
  w.Integers({static_cast<uint32_t>(mesh.uvs.size() / 2)});
  w.Floats(std::vector<float>(mesh.uvs.begin(), mesh.uvs.end()));
  w.Tok(BinaryWriter::kCloseBrace);

  w.Name("MeshMaterialList");
  w.Tok(BinaryWriter::kOpenBrace);
  std::vector<uint32_t> list = {static_cast<uint32_t>(mesh.materials.size()),
                                static_cast<uint32_t>(mesh.faceMaterials.size())};
  list.insert(list.end(), mesh.faceMaterials.begin(), mesh.faceMaterials.end());
  w.Integers(list);
  for (const Material& m : mesh.materials) {
    w.Tok(BinaryWriter::kOpenBrace);
    w.Name(m.name);
    w.Tok(BinaryWriter::kCloseBrace);
  }
  w.Tok(BinaryWriter::kCloseBrace);  // MeshMaterialList
  w.Tok(BinaryWriter::kCloseBrace);  // Mesh
  w.Tok(BinaryWriter::kCloseBrace);  // Frame

  static const char kHeader[] = "xof 0303bin 0032";
  std::fwrite(kHeader, 1, 16, f);
  std::fwrite(w.Bytes().data(), 1, w.Bytes().size(), f);
  return std::ferror(f) == 0;
}

}  // namespace xmeshgen

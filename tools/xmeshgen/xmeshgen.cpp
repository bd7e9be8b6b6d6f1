// vexil-xmeshgen: writes a cube as a DirectX .x file (text, or binary with --binary) —
// 24 vertices, 6 quads wound clockwise when seen from outside (Direct3D's front faces),
// normals, UVs and two materials.
//
//   vexil-xmeshgen OUT.x [--half-size H] [--offset X Y Z] [--texture FILE] [--binary]
//
// Faces 0-2 (+x, -x, +y) use material 0, which names FILE (default "cube.png"); faces 3-5
// (-y, +z, -z) use material 1, which has no texture.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Vec3 {
  double x, y, z;
};

Vec3 Add(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 Scale(Vec3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}

struct Face {
  Vec3 normal, u, v;  // u x v = normal, so corners -u-v, u-v, u+v, -u+v run clockwise
};

const Face kFaces[6] = {
    {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}},    // +x
    {{-1, 0, 0}, {0, 0, -1}, {0, -1, 0}},  // -x
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},    // +y
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},    // -y
    {{0, 0, 1}, {-1, 0, 0}, {0, -1, 0}},   // +z
    {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},   // -z
};

// Corner signs (along u, along v) and the UV each corner gets: v grows downwards as in D3D.
const double kCorners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
const double kUVs[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

struct Material {
  const char* name;
  float values[11];  // face colour RGBA, power, specular RGB, emissive RGB
  std::string texture;
};

struct Cube {
  std::vector<Vec3> positions;
  std::vector<double> uvs;  // two per vertex
  std::vector<Material> materials;
  int faceMaterial[6] = {0, 0, 0, 1, 1, 1};
};

Cube MakeCube(double half, Vec3 offset, const std::string& texture) {
  Cube cube;
  for (const Face& face : kFaces) {
    for (int c = 0; c < 4; ++c) {
      const Vec3 corner = Add(Scale(face.u, kCorners[c][0]), Scale(face.v, kCorners[c][1]));
      cube.positions.push_back(Add(offset, Scale(Add(face.normal, corner), half)));
      cube.uvs.push_back(kUVs[c][0]);
      cube.uvs.push_back(kUVs[c][1]);
    }
  }
  cube.materials.push_back(
      {"Textured", {1, 0.5f, 0.25f, 1, 20, 0.8f, 0.8f, 0.8f, 0.1f, 0, 0}, texture});
  cube.materials.push_back({"Plain", {0, 0.25f, 1, 0.5f, 5, 0, 0, 0, 0, 0, 0.2f}, ""});
  return cube;
}

bool WriteText(FILE* f, const Cube& cube) {
  std::fprintf(f, "xof 0303txt 0032\n\n");
  for (const Material& m : cube.materials) {
    const float* v = m.values;
    std::fprintf(f, "Material %s {\n %f;%f;%f;%f;;\n %f;\n %f;%f;%f;;\n %f;%f;%f;;\n", m.name, v[0],
                 v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10]);
    if (!m.texture.empty())
      std::fprintf(f, " TextureFilename {\n  \"%s\";\n }\n", m.texture.c_str());
    std::fprintf(f, "}\n\n");
  }
  std::fprintf(f,
               "Frame Root {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,"
               "0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n }\n\n Mesh Cube {\n  24;\n");
  for (size_t i = 0; i < cube.positions.size(); ++i) {
    const Vec3& p = cube.positions[i];
    std::fprintf(f, "  %f;%f;%f;%s\n", p.x, p.y, p.z, i == 23 ? ";" : ",");
  }
  std::fprintf(f, "  6;\n");
  for (int fi = 0; fi < 6; ++fi)
    std::fprintf(f, "  4;%d,%d,%d,%d;%s\n", fi * 4, fi * 4 + 1, fi * 4 + 2, fi * 4 + 3,
                 fi == 5 ? ";" : ",");
  std::fprintf(f, "\n  MeshNormals {\n   6;\n");
  for (int fi = 0; fi < 6; ++fi) {
    const Vec3& n = kFaces[fi].normal;
    std::fprintf(f, "   %f;%f;%f;%s\n", n.x, n.y, n.z, fi == 5 ? ";" : ",");
  }
  std::fprintf(f, "   6;\n");
  for (int fi = 0; fi < 6; ++fi)
    std::fprintf(f, "   4;%d,%d,%d,%d;%s\n", fi, fi, fi, fi, fi == 5 ? ";" : ",");
  std::fprintf(f, "  }\n\n  MeshTextureCoords {\n   24;\n");
  for (int i = 0; i < 24; ++i)
    std::fprintf(f, "   %f;%f;%s\n", cube.uvs[i * 2], cube.uvs[i * 2 + 1], i == 23 ? ";" : ",");
  std::fprintf(f, "  }\n\n  MeshMaterialList {\n   2;\n   6;\n");
  for (int fi = 0; fi < 6; ++fi)
    std::fprintf(f, "   %d%s\n", cube.faceMaterial[fi], fi == 5 ? ";" : ",");
  for (const Material& m : cube.materials) std::fprintf(f, "   { %s }\n", m.name);
  std::fprintf(f, "  }\n }\n}\n");
  return std::ferror(f) == 0;
}

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

bool WriteBinary(FILE* f, const Cube& cube) {
  BinaryWriter w;
  for (const Material& m : cube.materials) {
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
  w.Name("Cube");
  w.Tok(BinaryWriter::kOpenBrace);
  w.Integers({24});
  std::vector<float> floats;
  for (const Vec3& p : cube.positions) {
    floats.push_back(static_cast<float>(p.x));
    floats.push_back(static_cast<float>(p.y));
    floats.push_back(static_cast<float>(p.z));
  }
  w.Floats(floats);
  std::vector<uint32_t> faces = {6};
  for (uint32_t fi = 0; fi < 6; ++fi)
    faces.insert(faces.end(), {4, fi * 4, fi * 4 + 1, fi * 4 + 2, fi * 4 + 3});
  w.Integers(faces);

  w.Name("MeshNormals");
  w.Tok(BinaryWriter::kOpenBrace);
  w.Integers({6});
  floats.clear();
  for (const Face& face : kFaces) {
    floats.push_back(static_cast<float>(face.normal.x));
    floats.push_back(static_cast<float>(face.normal.y));
    floats.push_back(static_cast<float>(face.normal.z));
  }
  w.Floats(floats);
  std::vector<uint32_t> normalFaces = {6};
  for (uint32_t fi = 0; fi < 6; ++fi) normalFaces.insert(normalFaces.end(), {4, fi, fi, fi, fi});
  w.Integers(normalFaces);
  w.Tok(BinaryWriter::kCloseBrace);

  w.Name("MeshTextureCoords");
  w.Tok(BinaryWriter::kOpenBrace);
  w.Integers({24});
  w.Floats(std::vector<float>(cube.uvs.begin(), cube.uvs.end()));
  w.Tok(BinaryWriter::kCloseBrace);

  w.Name("MeshMaterialList");
  w.Tok(BinaryWriter::kOpenBrace);
  std::vector<uint32_t> list = {2, 6};
  for (int m : cube.faceMaterial) list.push_back(static_cast<uint32_t>(m));
  w.Integers(list);
  for (const Material& m : cube.materials) {
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

int Usage() {
  std::fprintf(stderr,
               "usage: vexil-xmeshgen OUT.x [--half-size H] [--offset X Y Z] [--texture FILE] "
               "[--binary]\n");
  return 2;
}

bool ParseNumber(const char* text, double* out) {
  char* end = nullptr;
  *out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return Usage();
  const char* outPath = argv[1];
  double half = 1.0;
  Vec3 offset{0, 0, 0};
  std::string texture = "cube.png";
  bool binary = false;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--half-size") == 0 && i + 1 < argc) {
      if (!ParseNumber(argv[++i], &half) || half <= 0) return Usage();
    } else if (std::strcmp(argv[i], "--offset") == 0 && i + 3 < argc) {
      if (!ParseNumber(argv[i + 1], &offset.x) || !ParseNumber(argv[i + 2], &offset.y) ||
          !ParseNumber(argv[i + 3], &offset.z))
        return Usage();
      i += 3;
    } else if (std::strcmp(argv[i], "--texture") == 0 && i + 1 < argc) {
      texture = argv[++i];
      if (texture.empty() || texture.find('"') != std::string::npos) return Usage();
    } else if (std::strcmp(argv[i], "--binary") == 0) {
      binary = true;
    } else {
      return Usage();
    }
  }

  FILE* f = std::fopen(outPath, binary ? "wb" : "w");
  if (!f) {
    std::fprintf(stderr, "vexil-xmeshgen: cannot write %s\n", outPath);
    return 1;
  }
  const Cube cube = MakeCube(half, offset, texture);
  const bool written = binary ? WriteBinary(f, cube) : WriteText(f, cube);
  if (std::fclose(f) != 0 || !written) {
    std::fprintf(stderr, "vexil-xmeshgen: cannot write %s\n", outPath);
    return 1;
  }
  return 0;
}

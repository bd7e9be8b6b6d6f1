// vexil-xmeshgen: writes a cube as a DirectX .x text file — 24 vertices, 6 quads wound
// clockwise when seen from outside (Direct3D's front faces), normals, UVs, two materials.
//
//   vexil-xmeshgen OUT.x [--half-size H] [--offset X Y Z] [--texture FILE]
//
// Faces 0-2 (+x, -x, +y) use material 0, which names FILE (default "cube.png"); faces 3-5
// (-y, +z, -z) use material 1, which has no texture.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

int Usage() {
  std::fprintf(stderr,
               "usage: vexil-xmeshgen OUT.x [--half-size H] [--offset X Y Z] [--texture FILE]\n");
  return 2;
}

bool ParseNumber(const char* text, double* out) {
  char* end = nullptr;
  *out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const char* outPath = argv[1];
  double half = 1.0;
  Vec3 offset{0, 0, 0};
  std::string texture = "cube.png";
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
      if (texture.find('"') != std::string::npos) return Usage();
    } else {
      return Usage();
    }
  }

  FILE* f = std::fopen(outPath, "w");
  if (!f) {
    std::fprintf(stderr, "vexil-xmeshgen: cannot write %s\n", outPath);
    return 1;
  }
  std::fprintf(f, "xof 0303txt 0032\n\n");
  std::fprintf(f,
               "Material Textured {\n 1.000000;0.500000;0.250000;1.000000;;\n 20.000000;\n"
               " 0.800000;0.800000;0.800000;;\n 0.100000;0.000000;0.000000;;\n"
               " TextureFilename {\n  \"%s\";\n }\n}\n\n",
               texture.c_str());
  std::fprintf(f,
               "Material Plain {\n 0.000000;0.250000;1.000000;0.500000;;\n 5.000000;\n"
               " 0.000000;0.000000;0.000000;;\n 0.000000;0.000000;0.200000;;\n}\n\n");
  std::fprintf(f,
               "Frame Root {\n FrameTransformMatrix {\n  1.0,0.0,0.0,0.0,0.0,1.0,0.0,0.0,"
               "0.0,0.0,1.0,0.0,0.0,0.0,0.0,1.0;;\n }\n\n Mesh Cube {\n  24;\n");
  for (int fi = 0; fi < 6; ++fi) {
    const Face& face = kFaces[fi];
    for (int c = 0; c < 4; ++c) {
      const Vec3 p = Add(
          offset,
          Scale(Add(face.normal, Add(Scale(face.u, kCorners[c][0]), Scale(face.v, kCorners[c][1]))),
                half));
      std::fprintf(f, "  %f;%f;%f;%s\n", p.x, p.y, p.z, fi == 5 && c == 3 ? ";" : ",");
    }
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
  for (int fi = 0; fi < 6; ++fi)
    for (int c = 0; c < 4; ++c)
      std::fprintf(f, "   %f;%f;%s\n", kUVs[c][0], kUVs[c][1], fi == 5 && c == 3 ? ";" : ",");
  std::fprintf(f,
               "  }\n\n  MeshMaterialList {\n   2;\n   6;\n   0,\n   0,\n   0,\n   1,\n"
               "   1,\n   1;\n   { Textured }\n   { Plain }\n  }\n }\n}\n");
  const bool ok = std::fclose(f) == 0;
  if (!ok) {
    std::fprintf(stderr, "vexil-xmeshgen: cannot write %s\n", outPath);
    return 1;
  }
  return 0;
}

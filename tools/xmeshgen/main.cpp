// vexil-xmeshgen: writes a generated mesh as a DirectX .x file, text or binary (--binary).
//
//   vexil-xmeshgen OUT.x [--half-size H] [--offset X Y Z] [--texture FILE] [--binary]
//   vexil-xmeshgen OUT.x --torus-knot P Q [--inward-normals] [--texture FILE] [--binary]
//
// The default is a cube (see cube.cpp): faces +x, -x, +y use material 0, which names FILE
// (default "cube.png"), faces -y, +z, -z material 1, which has no texture. --torus-knot makes
// a (P, Q) torus knot tube reaching 25 units, textured with FILE along its length.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mesh.h"
#include "xfile_writer.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vexil-xmeshgen OUT.x [--half-size H] [--offset X Y Z] [--texture FILE] "
               "[--binary]\n"
               "       vexil-xmeshgen OUT.x --torus-knot P Q [--inward-normals] [--texture FILE] "
               "[--binary]\n");
  return 2;
}

bool ParseNumber(const char* text, double* out) {
  char* end = nullptr;
  *out = std::strtod(text, &end);
  return end != text && *end == '\0';
}

// Turn counts of a knot: whole numbers from 1 to 64 (more would need more rings than the tube has).
bool ParseTurns(const char* text, int* out) {
  double value = 0;
  if (!ParseNumber(text, &value) || value < 1 || value > 64 || value != static_cast<int>(value))
    return false;
  *out = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return Usage();
  const char* outPath = argv[1];
  double half = 1.0;
  xmeshgen::Vec3 offset{0, 0, 0};
  std::string texture;
  bool binary = false, knot = false, cubeOptions = false, inward = false;
  xmeshgen::KnotShape shape;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--half-size") == 0 && i + 1 < argc) {
      if (!ParseNumber(argv[++i], &half) || half <= 0) return Usage();
      cubeOptions = true;
    } else if (std::strcmp(argv[i], "--offset") == 0 && i + 3 < argc) {
      if (!ParseNumber(argv[i + 1], &offset.x) || !ParseNumber(argv[i + 2], &offset.y) ||
          !ParseNumber(argv[i + 3], &offset.z))
        return Usage();
      i += 3;
      cubeOptions = true;
    } else if (std::strcmp(argv[i], "--torus-knot") == 0 && i + 2 < argc) {
      if (!ParseTurns(argv[i + 1], &shape.p) || !ParseTurns(argv[i + 2], &shape.q)) return Usage();
      i += 2;
      knot = true;
    } else if (std::strcmp(argv[i], "--inward-normals") == 0) {
      inward = true;
    } else if (std::strcmp(argv[i], "--texture") == 0 && i + 1 < argc) {
      texture = argv[++i];
      if (texture.empty() || texture.find('"') != std::string::npos) return Usage();
    } else if (std::strcmp(argv[i], "--binary") == 0) {
      binary = true;
    } else {
      return Usage();
    }
  }
  // Each shape takes only its own options.
  if ((knot && cubeOptions) || (!knot && inward)) return Usage();

  const xmeshgen::Mesh mesh =
      knot ? xmeshgen::MakeTorusKnot(shape, texture.empty() ? "knot.png" : texture, inward)
           : xmeshgen::MakeCube(half, offset, texture.empty() ? "cube.png" : texture);
  FILE* f = std::fopen(outPath, binary ? "wb" : "w");
  if (!f) {
    std::fprintf(stderr, "vexil-xmeshgen: cannot write %s\n", outPath);
    return 1;
  }
  const bool written = binary ? xmeshgen::WriteBinary(f, mesh) : xmeshgen::WriteText(f, mesh);
  if (std::fclose(f) != 0 || !written) {
    std::fprintf(stderr, "vexil-xmeshgen: cannot write %s\n", outPath);
    return 1;
  }
  return 0;
}

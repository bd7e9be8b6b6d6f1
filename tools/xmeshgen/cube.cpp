// The cube of vexil-xmeshgen, the mesh the tests load: every face its own four vertices and
// its own normal, so flat faces keep sharp edges.
#include "mesh.h"

namespace xmeshgen {

namespace {

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

}  // namespace

Mesh MakeCube(double half, Vec3 offset, const std::string& texture) {
  Mesh cube;
  cube.name = "Cube";
  for (uint32_t f = 0; f < 6; ++f) {
    const Face& face = kFaces[f];
    for (int c = 0; c < 4; ++c) {
      const Vec3 corner = Add(Scale(face.u, kCorners[c][0]), Scale(face.v, kCorners[c][1]));
      cube.positions.push_back(Add(offset, Scale(Add(face.normal, corner), half)));
      cube.uvs.push_back(kUVs[c][0]);
      cube.uvs.push_back(kUVs[c][1]);
    }
    cube.faces.push_back({f * 4, f * 4 + 1, f * 4 + 2, f * 4 + 3});
    cube.normals.push_back(face.normal);
    cube.normalFaces.push_back({f, f, f, f});
    cube.faceMaterials.push_back(f < 3 ? 0 : 1);
  }
  cube.materials.push_back(
      {"Textured", {1, 0.5f, 0.25f, 1, 20, 0.8f, 0.8f, 0.8f, 0.1f, 0, 0}, texture});
  cube.materials.push_back({"Plain", {0, 0.25f, 1, 0.5f, 5, 0, 0, 0, 0, 0, 0.2f}, ""});
  return cube;
}

}  // namespace xmeshgen

// The meshes vexil-xmeshgen writes: positions with texture coordinates, polygons wound
// clockwise when seen from outside (Direct3D's front faces), normals with their own polygon
// indices as .x files keep them, and materials assigned per polygon.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xmeshgen {

struct Vec3 {
  double x, y, z;
};

inline Vec3 Add(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 Sub(Vec3 a, Vec3 b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 Scale(Vec3 a, double s) {
  return {a.x * s, a.y * s, a.z * s};
}
double Dot(Vec3 a, Vec3 b);
Vec3 Cross(Vec3 a, Vec3 b);
Vec3 Normalize(Vec3 a);

struct Material {
  std::string name;
  float values[11];  // face colour RGBA, power, specular RGB, emissive RGB
  std::string texture;
};

struct Mesh {
  std::string name;
  std::vector<Vec3> positions;
  std::vector<double> uvs;                         // two per position
  std::vector<std::vector<uint32_t>> faces;        // position indices, clockwise from outside
  std::vector<Vec3> normals;                       // unit length
  std::vector<std::vector<uint32_t>> normalFaces;  // one per face, indices into `normals`
  std::vector<Material> materials;
  std::vector<uint32_t> faceMaterials;  // one per face
};

// A cube of half size `half` around `offset`: 24 vertices, 6 quads with one normal each.
// Faces +x, -x, +y use material 0 (textured with `texture`), -y, +z, -z material 1.
Mesh MakeCube(double half, Vec3 offset, const std::string& texture);

struct KnotShape {
  int p = 2, q = 3;         // turns around the axis and through the hole (2, 3: a trefoil)
  int segments = 256;       // rings along the knot
  int sides = 16;           // points around the tube
  double tubeRadius = 0.4;  // in units of the knot's own scale, where the hole's radius is 1
  double size = 25.0;       // the largest coordinate of the result
  int textureRepeats = 24;  // times the texture's u runs along the knot
};

// A (p, q) torus knot swept by a round tube with smooth normals, u along the knot and v
// around the tube, all in one material textured with `texture`; scaled so that its largest
// coordinate is `size`. `inwardNormals` turns every normal round (the winding stays), for a
// viewer whose light shines towards the camera.
Mesh MakeTorusKnot(const KnotShape& shape, const std::string& texture, bool inwardNormals);

}  // namespace xmeshgen

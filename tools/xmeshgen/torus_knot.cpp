// The torus knot of vexil-xmeshgen: the curve ((2 + cos qt) cos pt, (2 + cos qt) sin pt,
// -sin qt) swept by a round tube. The tube's frame is carried along the curve without twisting
// (parallel transport) and the small turn it has gathered when the curve closes is spread
// evenly over the rings, so the last ring meets the first.
#include <algorithm>
#include <cmath>

#include "mesh.h"

namespace xmeshgen {

namespace {

constexpr double kTwoPi = 6.283185307179586;

Vec3 KnotPoint(const KnotShape& shape, double t) {
  const double r = 2.0 + std::cos(shape.q * t);
  return {r * std::cos(shape.p * t), r * std::sin(shape.p * t), -std::sin(shape.q * t)};
}

// Any unit vector at right angles to `t`.
Vec3 Perpendicular(Vec3 t) {
  const Vec3 axis = std::fabs(t.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
  return Normalize(Cross(t, axis));
}

}  // namespace

double Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(Vec3 a, Vec3 b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalize(Vec3 a) {
  const double length = std::sqrt(Dot(a, a));
  return length > 0.0 ? Scale(a, 1.0 / length) : a;
}

Mesh MakeTorusKnot(const KnotShape& shape, const std::string& texture, bool inwardNormals) {
  const int n = shape.segments, sides = shape.sides;
  std::vector<Vec3> centre(n), tangent(n), normal(n);
  for (int i = 0; i < n; ++i) {
    const double t = kTwoPi * i / n;
    centre[i] = KnotPoint(shape, t);
    const double dt = kTwoPi / n;
    tangent[i] = Normalize(Sub(KnotPoint(shape, t + dt), KnotPoint(shape, t - dt)));
  }
  normal[0] = Perpendicular(tangent[0]);
  for (int i = 1; i <= n; ++i) {
    const Vec3 t = tangent[i % n], previous = normal[i - 1];
    const Vec3 carried = Normalize(Sub(previous, Scale(t, Dot(previous, t))));
    if (i < n) {
      normal[i] = carried;
    } else {
      // Back at the start: the angle from the first frame to the carried one.
      const double closing =
          std::atan2(Dot(Cross(carried, normal[0]), tangent[0]), Dot(carried, normal[0]));
      for (int k = 0; k < n; ++k) {
        const Vec3 binormal = Cross(tangent[k], normal[k]);
        const double a = closing * k / n;
        normal[k] = Add(Scale(normal[k], std::cos(a)), Scale(binormal, std::sin(a)));
      }
    }
  }

  Mesh mesh;
  mesh.name = "TorusKnot";
  // Rings 0..n and points 0..sides: the last ring and the last point repeat the first ones
  // with texture coordinates one period further, so the texture has no seam.
  for (int i = 0; i <= n; ++i) {
    const int k = i % n;
    const Vec3 binormal = Cross(tangent[k], normal[k]);
    for (int j = 0; j <= sides; ++j) {
      const double a = kTwoPi * (j % sides) / sides;
      const Vec3 out = Add(Scale(normal[k], std::cos(a)), Scale(binormal, std::sin(a)));
      mesh.positions.push_back(Add(centre[k], Scale(out, shape.tubeRadius)));
      mesh.normals.push_back(inwardNormals ? Scale(out, -1.0) : out);
      mesh.uvs.push_back(static_cast<double>(i) * shape.textureRepeats / n);
      mesh.uvs.push_back(static_cast<double>(j) / sides);
    }
  }
  double largest = 0.0;
  for (const Vec3& p : mesh.positions) {
    largest = std::max({largest, std::fabs(p.x), std::fabs(p.y), std::fabs(p.z)});
  }
  for (Vec3& p : mesh.positions) p = Scale(p, shape.size / largest);

  // Around the tube the points turn from the normal towards the binormal (tangent x normal):
  // a step around and then a step along the knot turn clockwise seen from outside, as
  // Direct3D's front faces do.
  const uint32_t row = static_cast<uint32_t>(sides + 1);
  for (uint32_t i = 0; i < static_cast<uint32_t>(n); ++i) {
    for (uint32_t j = 0; j < static_cast<uint32_t>(sides); ++j) {
      const uint32_t a = i * row + j, b = a + 1, c = a + row + 1, d = a + row;
      mesh.faces.push_back({a, b, c, d});
      mesh.normalFaces.push_back({a, b, c, d});
      mesh.faceMaterials.push_back(0);
    }
  }
  // White so that the texture shows as drawn; a faint emissive keeps the shadowed side from
  // going fully black, and a broad highlight follows the light.
  mesh.materials.push_back(
      {"Knot", {1, 1, 1, 1, 12, 0.7f, 0.7f, 0.7f, 0.06f, 0.05f, 0.08f}, texture});
  return mesh;
}

}  // namespace xmeshgen

// Builds the benchmark scene once: a bumpy grid facing the camera, a checker texture and
// D3DX-style look-at and perspective matrices.
#include "scene.h"

#include <cmath>

namespace vexil_bench {

namespace {

Scene Build() {
  Scene s;
  // 2,000 triangles = 1,000 quads: a 40 x 25 grid of cells.
  const int cols = 40, rows = 25;
  for (int y = 0; y <= rows; ++y) {
    for (int x = 0; x <= cols; ++x) {
      const float fx = x / float(cols) * 2 - 1, fy = y / float(rows) * 2 - 1;
      const float h = 0.1f * std::sin(fx * 6) * std::cos(fy * 5);
      float nx = -0.6f * std::cos(fx * 6) * std::cos(fy * 5);
      float ny = 0.5f * std::sin(fx * 6) * std::sin(fy * 5);
      float nz = -1.0f;
      const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
      s.vertices.push_back({fx * 1.6f, fy * 1.2f, h, nx / len, ny / len, nz / len, 0xffffffffu,
                            x / float(cols) * 4, y / float(rows) * 4});
    }
  }
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < cols; ++x) {
      const uint16_t a = uint16_t(y * (cols + 1) + x), b = uint16_t(a + 1);
      const uint16_t c = uint16_t(a + cols + 1), d = uint16_t(c + 1);
      s.indices.insert(s.indices.end(), {c, d, a, a, d, b});
    }
  }
  s.texture.resize(64 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      s.texture[y * 64 + x] = ((x / 8 + y / 8) & 1) ? 0xffe0c080u : 0xff4080c0u;
    }
  }
  const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  for (int i = 0; i < 16; ++i) s.world[i] = s.view[i] = identity[i];
  s.view[14] = 2.4f;  // camera at z = -2.4 looking at the origin
  const float yScale = 1.0f / std::tan(0.7853982f / 2), aspect = 4.0f / 3.0f;
  const float zn = 1.0f, zf = 1000.0f;
  const float proj[16] = {
      yScale / aspect,      0, 0, 0, 0, yScale, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0,
      -zn * zf / (zf - zn), 0};
  for (int i = 0; i < 16; ++i) s.projection[i] = proj[i];
  return s;
}

}  // namespace

const Scene& BenchScene() {
  static const Scene scene = Build();
  return scene;
}

}  // namespace vexil_bench

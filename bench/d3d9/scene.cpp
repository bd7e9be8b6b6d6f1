// Builds the benchmark frames' data: the grid with its checker texture and matrices, the
// tube's rings for any frame, and the quads with their transforms and two textures.
#include "scene.h"

#include <array>
#include <cmath>

namespace vexil_bench {

namespace {

Matrix Identity() {
  return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
}

// D3DXMatrixPerspectiveFovLH.
Matrix Perspective(float fovY, float aspect, float zn, float zf) {
  const float yScale = 1.0f / std::tan(fovY / 2), xScale = yScale / aspect;
  return {
      {xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0, -zn * zf / (zf - zn), 0}};
}

// Rotation about z by `angle`, then a move by (x, y, z), as D3DX composes them.
Matrix RotateZThenMove(float angle, float x, float y, float z) {
  const float c = std::cos(angle), s = std::sin(angle);
  return {{c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, x, y, z, 1}};
}

void Normalize(float* v) {
  const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (len > 0) v[0] /= len, v[1] /= len, v[2] /= len;
}

void Cross(const float* a, const float* b, float* out) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

Scene BuildGrid() {
  Scene s;
  // 2,000 triangles = 1,000 quads: a 40 x 25 grid of cells.
  const int cols = 40, rows = 25;
  for (int y = 0; y <= rows; ++y) {
    for (int x = 0; x <= cols; ++x) {
      const float fx = x / float(cols) * 2 - 1, fy = y / float(rows) * 2 - 1;
      const float h = 0.1f * std::sin(fx * 6) * std::cos(fy * 5);
      float n[3] = {-0.6f * std::cos(fx * 6) * std::cos(fy * 5),
                    0.5f * std::sin(fx * 6) * std::sin(fy * 5), -1.0f};
      Normalize(n);
      s.vertices.push_back({fx * 1.6f, fy * 1.2f, h, n[0], n[1], n[2], 0xffffffffu,
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
  const Matrix identity = Identity();
  const Matrix proj = Perspective(0.7853982f, 4.0f / 3.0f, 1.0f, 1000.0f);
  for (int i = 0; i < 16; ++i) {
    s.world[i] = s.view[i] = identity.m[i];
    s.projection[i] = proj.m[i];
  }
  s.view[14] = 2.4f;  // camera at z = -2.4 looking at the origin
  return s;
}

// The tube's centre line at s in [0, 1], moving with the frame.
void TubeCentre(float s, float phase, float* out) {
  out[0] = 0.9f * std::sin(5.0f * s + phase);
  out[1] = 0.6f * std::cos(3.0f * s + 0.7f * phase);
  out[2] = 1.5f + 14.0f * s;
}

}  // namespace

Matrix Multiply(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i * 4 + j] = a.m[i * 4 + 0] * b.m[0 * 4 + j] + a.m[i * 4 + 1] * b.m[1 * 4 + j] +
                       a.m[i * 4 + 2] * b.m[2 * 4 + j] + a.m[i * 4 + 3] * b.m[3 * 4 + j];
    }
  }
  return r;
}

const Scene& BenchScene() {
  static const Scene scene = BuildGrid();
  return scene;
}

const std::vector<uint16_t>& TubeIndices() {
  static const std::vector<uint16_t> indices = [] {
    std::vector<uint16_t> list;
    for (int r = 0; r + 1 < kTubeRings; ++r) {
      for (int k = 0; k < kTubeSides; ++k) {
        const uint16_t a = uint16_t(r * (kTubeSides + 1) + k), b = uint16_t(a + 1);
        const uint16_t c = uint16_t(a + kTubeSides + 1), d = uint16_t(c + 1);
        list.insert(list.end(), {a, c, b, b, c, d});
      }
    }
    return list;
  }();
  return indices;
}

void WriteTubeVertices(int frame, SceneVertex* out) {
  const float phase = 0.02f * frame, radius = 0.22f, ds = 1.0f / (kTubeRings - 1);
  const float up[3] = {0.0f, 1.0f, 0.0f};
  for (int r = 0; r < kTubeRings; ++r) {
    const float s = r * ds;
    float c[3], before[3], after[3];
    TubeCentre(s, phase, c);
    TubeCentre(s - ds, phase, before);
    TubeCentre(s + ds, phase, after);
    float t[3] = {after[0] - before[0], after[1] - before[1], after[2] - before[2]};
    Normalize(t);
    float n[3], b[3];
    Cross(t, up, n);
    Normalize(n);
    Cross(n, t, b);
    for (int k = 0; k <= kTubeSides; ++k) {
      const float a = 6.2831853f * k / kTubeSides;
      const float ca = std::cos(a), sa = std::sin(a);
      const float dir[3] = {ca * n[0] + sa * b[0], ca * n[1] + sa * b[1], ca * n[2] + sa * b[2]};
      *out++ = {c[0] + radius * dir[0],
                c[1] + radius * dir[1],
                c[2] + radius * dir[2],
                dir[0],
                dir[1],
                dir[2],
                0xffffffffu,
                float(k) / kTubeSides,
                s * 12.0f};
    }
  }
}

Matrix TubeWorld(int frame) {
  return RotateZThenMove(0.01f * frame, 0.0f, 0.0f, 0.0f);
}

const Matrix& TubeView() {
  static const Matrix view = Identity();  // the camera at the origin, looking along +z
  return view;
}

const Matrix& TubeProjection() {
  static const Matrix projection = Perspective(0.7853982f, 4.0f / 3.0f, 0.5f, 50.0f);
  return projection;
}

void WriteQuad(int pass, QuadVertex out[4]) {
  const float half = 16.0f + float(pass % 7) * 4.0f;
  const uint32_t alpha = 0x40u + uint32_t(pass % 5) * 0x20u;
  const uint32_t color = (alpha << 24) | (0xff - pass % 64) << 16 | 0xc000u | (pass * 3 & 0xff);
  out[0] = {-half, -half, 0.5f, color, 0.0f, 1.0f};
  out[1] = {-half, half, 0.5f, color, 0.0f, 0.0f};
  out[2] = {half, -half, 0.5f, color, 1.0f, 1.0f};
  out[3] = {half, half, 0.5f, color, 1.0f, 0.0f};
}

Matrix QuadWorld(int frame, int pass) {
  return RotateZThenMove(0.1f * pass + 0.01f * frame,
                         320.0f + 260.0f * std::cos(0.37f * pass + 0.01f * frame),
                         240.0f + 190.0f * std::sin(0.23f * pass), 0.0f);
}

const Matrix& QuadProjection() {
  // D3DXMatrixOrthoOffCenterLH(0, 640, 0, 480, 0, 1).
  static const Matrix projection = {
      {2.0f / kFrameWidth, 0, 0, 0, 0, 2.0f / kFrameHeight, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1}};
  return projection;
}

const std::vector<uint32_t>& QuadTexels(int which) {
  static const std::array<std::vector<uint32_t>, 2> textures = [] {
    std::vector<uint32_t> dot(64 * 64), checker(64 * 64);
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) {
        const float dx = (x - 31.5f) / 32.0f, dy = (y - 31.5f) / 32.0f;
        const float d = std::sqrt(dx * dx + dy * dy);
        const uint32_t a = d >= 1.0f ? 0u : uint32_t((1.0f - d) * 255.0f);
        dot[y * 64 + x] = (a << 24) | 0x00ffe0c0u;
        checker[y * 64 + x] = ((x / 8 + y / 8) & 1) ? 0xffe0c080u : 0xc04080c0u;
      }
    }
    return std::array<std::vector<uint32_t>, 2>{dot, checker};
  }();
  return textures[which & 1];
}

}  // namespace vexil_bench

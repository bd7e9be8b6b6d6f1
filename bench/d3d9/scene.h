// The three benchmark frames' data, shared by the layer and the raw OpenGL versions so both
// draw the same thing: (a) a lit, textured grid of 2,000 triangles in ten batches with a
// render-state change before each; (b) a lit, fogged, textured tube whose vertices are
// rewritten every frame; (c) 400 small textured quads, each written into a buffer and drawn
// on its own with its own transform and state changes between them.
#pragma once

#include <cstdint>
#include <vector>

namespace vexil_bench {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;

struct SceneVertex {  // D3D's FVF 0x152 layout: position, normal, diffuse, one (u, v)
  float x, y, z, nx, ny, nz;
  uint32_t color;
  float u, v;
};
constexpr unsigned kSceneFvf = 0x152;

struct QuadVertex {  // D3D's FVF 0x142 layout: position, diffuse, one (u, v)
  float x, y, z;
  uint32_t color;
  float u, v;
};
constexpr unsigned kQuadFvf = 0x142;

// D3D row-vector matrices, 16 floats row by row.
struct Matrix {
  float m[16];
};
Matrix Multiply(const Matrix& a, const Matrix& b);

// (a) The grid.
constexpr int kBatches = 10;
constexpr int kTrianglesPerBatch = 200;
struct Scene {
  std::vector<SceneVertex> vertices;
  std::vector<uint16_t> indices;  // kBatches * kTrianglesPerBatch triangles
  std::vector<uint32_t> texture;  // 64x64 A8R8G8B8
  float world[16], view[16], projection[16];
};
const Scene& BenchScene();

// (b) The tube: kTubeRings rings of kTubeSides + 1 points (the seam is doubled for the
// texture), a static index list, a camera, a point light and linear fog.
constexpr int kTubeRings = 300;
constexpr int kTubeSides = 16;
constexpr int kTubeVertexCount = kTubeRings * (kTubeSides + 1);
constexpr int kTubeTriangles = (kTubeRings - 1) * kTubeSides * 2;
constexpr float kTubeFogStart = 3.0f, kTubeFogEnd = 14.0f;
constexpr uint32_t kTubeFogColor = 0xff203040u;
constexpr float kTubeLight[3] = {0.0f, 1.0f, 3.0f};  // world position of the point light
constexpr float kTubeLightRange = 100.0f;
const std::vector<uint16_t>& TubeIndices();
// Writes frame `frame`'s vertices (kTubeVertexCount of them), as a tube or blob effect does
// every frame, and the world matrix that turns it.
void WriteTubeVertices(int frame, SceneVertex* out);
Matrix TubeWorld(int frame);
const Matrix& TubeView();
const Matrix& TubeProjection();

// (c) The quads: a 640 x 480 orthographic screen, two 64 x 64 textures.
constexpr int kQuadPasses = 400;
void WriteQuad(int pass, QuadVertex out[4]);
Matrix QuadWorld(int frame, int pass);
const Matrix& QuadProjection();
// Which of the two textures a pass uses, and whether it blends additively or by alpha.
inline int QuadTexture(int pass) {
  return (pass / 2) & 1;
}
inline bool QuadAdditive(int pass) {
  return (pass / 3) & 1;
}
const std::vector<uint32_t>& QuadTexels(int which);  // 64 x 64 A8R8G8B8

}  // namespace vexil_bench

// The benchmark scene: a lit, textured grid of 2,000 triangles drawn in ten batches with a
// render-state change before each, the shape of a typical effect frame.
#pragma once

#include <cstdint>
#include <vector>

namespace vexil_bench {

constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
constexpr int kBatches = 10;
constexpr int kTrianglesPerBatch = 200;

struct SceneVertex {  // D3D's FVF 0x152 layout
  float x, y, z, nx, ny, nz;
  uint32_t color;
  float u, v;
};

struct Scene {
  std::vector<SceneVertex> vertices;
  std::vector<uint16_t> indices;              // kBatches * kTrianglesPerBatch triangles
  std::vector<uint32_t> texture;              // 64x64 A8R8G8B8
  float world[16], view[16], projection[16];  // D3D row-vector matrices
};

const Scene& BenchScene();

}  // namespace vexil_bench

// Raw OpenGL 3.3 for the d3d9 benchmark frames: a hidden window's context with a 640 x 480
// colour and depth framebuffer like the layer's back buffer, and program building.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include "frames.h"

struct SDL_Window;

namespace vexil_bench {

class RawFrame : public FrameDrawer {
 public:
  RawFrame();
  ~RawFrame() override;
  bool ok() const override { return context_ != nullptr; }

 protected:
  // Makes the context current with the frame's framebuffer bound.
  void Begin();
  // Waits until the GPU has drawn everything.
  void Finish();
  // Links a program from two sources; prints the log on failure.
  static GLuint Program(const char* vertexSource, const char* fragmentSource);
  // A 64 x 64 A8R8G8B8 texture, linear filtering, no mip levels.
  static GLuint Texture64(const uint32_t* texels);

 private:
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  GLuint colorTarget_ = 0, depthTarget_ = 0, fbo_ = 0;
};

// Clip space as the layer leaves it: D3D depth 0..w remapped, y negated (targets are stored
// top row first).
constexpr const char* kClipFromD3D =
    "vec4 FromD3D(vec4 c) { return vec4(c.x, -c.y, 2.0 * c.z - c.w, c.w); }\n";

std::unique_ptr<FrameDrawer> MakeRawGrid();
std::unique_ptr<FrameDrawer> MakeRawTube();
std::unique_ptr<FrameDrawer> MakeRawQuads();

}  // namespace vexil_bench

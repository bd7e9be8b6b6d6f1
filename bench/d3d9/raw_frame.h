// The d3d9 benchmark frames as hand-written OpenGL 3.3: each draws into a 640 x 480 colour and
// D16 depth framebuffer like the layer's back buffer.
#pragma once

#include "frames.h"
#include "raw_gl.h"
#include "scene.h"

namespace vexil_bench {

class RawFrame : public FrameDrawer {
 public:
  RawFrame() : gl_(kFrameWidth, kFrameHeight, GL_DEPTH_COMPONENT16) {}
  bool ok() const override { return gl_.ok(); }

 protected:
  // Makes the context current with the frame's framebuffer bound.
  void Begin() { gl_.Begin(); }
  // Waits until the GPU has drawn everything.
  void Finish() { gl_.Finish(); }
  // A 64 x 64 A8R8G8B8 texture, linear filtering, no mip levels.
  static GLuint Texture64(const uint32_t* texels) {
    return RawGlContext::Texture(64, 64, texels, GL_LINEAR, GL_LINEAR);
  }

 private:
  RawGlContext gl_;
};

std::unique_ptr<FrameDrawer> MakeRawGrid();
std::unique_ptr<FrameDrawer> MakeRawTube();
std::unique_ptr<FrameDrawer> MakeRawQuads();

}  // namespace vexil_bench

// The textures and frame start shared by the raw OpenGL effect frames.
#include "raw_effect_frame.h"

#include <vector>

#include "bench_scenes.h"

namespace vexil_bench {

void ClearRawFrame() {
  glDepthMask(GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

GLuint PictureTexture() {
  return RawGlContext::Texture(256, 256, BenchPicture().data(), GL_NEAREST, GL_LINEAR);
}

GLuint BlackTexture() {
  const std::vector<uint32_t> black(256 * 256, 0xFF000000u);
  return RawGlContext::Texture(256, 256, black.data(), GL_NEAREST, GL_LINEAR);
}

}  // namespace vexil_bench

// Raw OpenGL 3.3 for the effect benchmarks: a hidden window's context, a 640 x 480 colour and
// depth framebuffer like the layer's back buffer, program building, the benchmark picture as a
// texture, and D3D row-vector matrices turned into what the shaders multiply with.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <memory>

#include "d3dx9/d3dx9math.h"

struct SDL_Window;

namespace vexil_bench {

class RawGlContext {
 public:
  RawGlContext();
  ~RawGlContext();
  RawGlContext(const RawGlContext&) = delete;
  RawGlContext& operator=(const RawGlContext&) = delete;

  bool ok() const { return m_context != nullptr; }
  // Makes the context current and binds the frame's framebuffer and viewport.
  void Begin();
  // Waits until the GPU has drawn everything.
  void Finish();

  // Links a program from two sources; prints the log on failure.
  static GLuint Program(const char* vertexSource, const char* fragmentSource);
  // The 256 x 256 benchmark picture (the layer world's "tex"), linear magnification.
  static GLuint PictureTexture();
  // A 256 x 256 black texture, like the layer world's render target "rt".
  static GLuint BlackTexture();

 private:
  SDL_Window* m_window = nullptr;
  void* m_context = nullptr;
  GLuint m_colour = 0, m_depth = 0, m_fbo = 0;
};

// One effect frame drawn with raw OpenGL calls (the context current and the frame bound).
class RawEffectFrame {
 public:
  virtual ~RawEffectFrame() = default;
  // Draws the frame at demo time t (ms); effects that do not follow the clock ignore it.
  virtual void Draw(float t) = 0;
};

std::unique_ptr<RawEffectFrame> MakeRawBlur();
std::unique_ptr<RawEffectFrame> MakeRawTexScreen();
std::unique_ptr<RawEffectFrame> MakeRawTwister();
std::unique_ptr<RawEffectFrame> MakeRawTorusTunnel();
// The 3D effects of the second group share one hand-written lighting program.
std::unique_ptr<RawEffectFrame> MakeRawMetaballs();
std::unique_ptr<RawEffectFrame> MakeRawSplineTunnel();
std::unique_ptr<RawEffectFrame> MakeRawTrailTube();
std::unique_ptr<RawEffectFrame> MakeRawMeshViewer();

// Points the bound vertex array's attributes 0 (position), 1 (diffuse colour) and 2 (u, v)
// into the bound buffer of the effects' 24-byte vertices (FVF 142 hex).
void ColorTexAttributes();

// The world-view-projection product as the shaders take it: D3D's row-vector matrix uploaded
// as it lies in memory is the column-major matrix that multiplies column vectors.
inline void SetMatrix(GLint location, const D3DXMATRIX& m) {
  glUniformMatrix4fv(location, 1, GL_FALSE, &m._11);
}

// Clip space as the layer leaves it: D3D depth 0..w remapped, y negated (targets are stored
// top row first).
constexpr const char* kClipFromD3D =
    "vec4 FromD3D(vec4 c) { return vec4(c.x, -c.y, 2.0 * c.z - c.w, c.w); }\n";

}  // namespace vexil_bench

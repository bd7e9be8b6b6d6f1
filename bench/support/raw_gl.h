// Raw OpenGL 3.3 for the benchmarks that set the D3D9 layer against hand-written GL: a hidden
// window's context with a colour and depth framebuffer like the layer's back buffer, program
// and texture building, and the vertex input of D3D's vertex layouts.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>

struct SDL_Window;

namespace vexil_bench {

class RawGlContext {
 public:
  // depthFormat: the GL format matching the layer frame's depth buffer (GL_DEPTH_COMPONENT16
  // for D3DFMT_D16, GL_DEPTH24_STENCIL8 for D3DFMT_D24S8).
  RawGlContext(int width, int height, GLenum depthFormat);
  ~RawGlContext();
  RawGlContext(const RawGlContext&) = delete;
  RawGlContext& operator=(const RawGlContext&) = delete;

  bool ok() const { return context_ != nullptr; }
  // Makes the context current and binds the framebuffer and its viewport.
  void Begin();
  // Waits until the GPU has drawn everything.
  void Finish();

  // Links a program from two sources; prints the log on failure.
  static GLuint Program(const char* vertexSource, const char* fragmentSource);
  // A width x height texture of A8R8G8B8 texels, one level, the given filters.
  static GLuint Texture(int width, int height, const uint32_t* texels, GLint minFilter,
                        GLint magFilter);

 private:
  int width_, height_;
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  GLuint colour_ = 0, depth_ = 0, fbo_ = 0;
};

// The attribute locations the raw programs declare for D3D's vertex fields.
constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kNormalAttribute = 1;
constexpr GLuint kColorAttribute = 2;
constexpr GLuint kTexCoordAttribute = 3;

// Points the bound vertex array at the bound array buffer's vertices of D3D layout `fvf`
// (position, then optionally a normal, a diffuse colour and one (u, v) pair: FVF 0x152, 0x142,
// 0x112). With readColor false a diffuse colour in the layout is skipped, as a program that
// takes its colour from the material would.
void FvfAttributes(unsigned fvf, bool readColor = true);

// Clip space as the layer leaves it for a 640 x 480 target: D3D depth 0..w remapped, y negated
// (targets are stored top row first), and D3D9's pixel centres: the picture moved just under
// half a pixel right and down, as the layer moves it.
constexpr const char* kClipFromD3D =
    "vec4 FromD3D(vec4 c) {\n"
    "  const vec2 pixelOffset = vec2(63.0 / 64.0 / 640.0, 63.0 / 64.0 / 480.0);\n"
    "  return vec4(c.x + pixelOffset.x * c.w, -c.y + pixelOffset.y * c.w, 2.0 * c.z - c.w, c.w);\n"
    "}\n";

}  // namespace vexil_bench

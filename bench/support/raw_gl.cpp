// The raw OpenGL context and framebuffer of the layer-against-raw-GL benchmarks.
#include "raw_gl.h"

#include <SDL.h>

#include <cstdio>

#include "d3d9/gl/heap_policy.h"

namespace vexil_bench {

namespace {

GLuint Compile(GLenum type, const char* source) {
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "raw GL shader: %s\n%s\n", log, source);
  }
  return shader;
}

}  // namespace

RawGlContext::RawGlContext(int width, int height, GLenum depthFormat)
    : width_(width), height_(height) {
  // The layer's device sets the heap up for rendering: the raw frames run on the same heap.
  vexil::d3d9::KeepFreedHeapForReuse();
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  window_ = SDL_CreateWindow("raw", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  context_ = window_ ? SDL_GL_CreateContext(window_) : nullptr;
  if (!context_) {
    std::fprintf(stderr, "raw GL: no context: %s\n", SDL_GetError());
    return;
  }
  SDL_GL_MakeCurrent(window_, context_);
  glGenTextures(1, &colour_);
  glBindTexture(GL_TEXTURE_2D, colour_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
  const GLenum attachment =
      depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depth_);
  glViewport(0, 0, width, height);
}

RawGlContext::~RawGlContext() {
  if (context_) {
    SDL_GL_MakeCurrent(window_, context_);
    glDeleteFramebuffers(1, &fbo_);
    glDeleteRenderbuffers(1, &depth_);
    glDeleteTextures(1, &colour_);
    SDL_GL_DeleteContext(context_);
  }
  if (window_) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void RawGlContext::Begin() {
  SDL_GL_MakeCurrent(window_, context_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glViewport(0, 0, width_, height_);
}

void RawGlContext::Finish() {
  glFlush();
  glFinish();
}

GLuint RawGlContext::Program(const char* vertexSource, const char* fragmentSource) {
  const GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource);
  const GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource);
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    std::fprintf(stderr, "raw GL program: %s\n", log);
  }
  return program;
}

GLuint RawGlContext::Texture(int width, int height, const uint32_t* texels, GLint minFilter,
                             GLint magFilter) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // A8R8G8B8 is B, G, R, A in memory.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  return texture;
}

void FvfAttributes(unsigned fvf, bool readColor) {
  // D3D's field bits for the layouts the benchmarks draw.
  constexpr unsigned kNormal = 0x10, kDiffuse = 0x40, kTex1 = 0x100;
  const GLsizei stride = static_cast<GLsizei>(12 + (fvf & kNormal ? 12 : 0) +
                                              (fvf & kDiffuse ? 4 : 0) + (fvf & kTex1 ? 8 : 0));
  size_t offset = 0;
  auto attribute = [&](GLuint location, bool present, bool read, GLint size, GLenum type,
                       bool normalized, size_t bytes) {
    if (present && read) {
      glEnableVertexAttribArray(location);
      glVertexAttribPointer(location, size, type, normalized ? GL_TRUE : GL_FALSE, stride,
                            reinterpret_cast<const void*>(offset));
    } else {
      glDisableVertexAttribArray(location);
    }
    if (present) offset += bytes;
  };
  attribute(kPositionAttribute, true, true, 3, GL_FLOAT, false, 12);
  attribute(kNormalAttribute, fvf & kNormal, true, 3, GL_FLOAT, false, 12);
  // D3DCOLOR is B, G, R, A in memory: GL_BGRA reads it into rgba order.
  attribute(kColorAttribute, fvf & kDiffuse, readColor, GL_BGRA, GL_UNSIGNED_BYTE, true, 4);
  attribute(kTexCoordAttribute, fvf & kTex1, true, 2, GL_FLOAT, false, 8);
}

}  // namespace vexil_bench

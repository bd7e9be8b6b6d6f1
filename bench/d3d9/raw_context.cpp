// The raw OpenGL context and framebuffer of the d3d9 benchmark frames.
#include "raw_context.h"

#include <SDL.h>

#include <cstdio>

#include "scene.h"

namespace vexil_bench {

namespace {

GLuint Compile(GLenum type, const char* source) {
  GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    std::fprintf(stderr, "raw GL shader: %s\n%s\n", log, source);
  }
  return s;
}

}  // namespace

RawFrame::RawFrame() {
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  window_ = SDL_CreateWindow("raw", 0, 0, kFrameWidth, kFrameHeight,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  context_ = window_ ? SDL_GL_CreateContext(window_) : nullptr;
  if (!context_) {
    std::fprintf(stderr, "raw GL: no context: %s\n", SDL_GetError());
    return;
  }
  SDL_GL_MakeCurrent(window_, context_);
  glGenTextures(1, &colorTarget_);
  glBindTexture(GL_TEXTURE_2D, colorTarget_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kFrameWidth, kFrameHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE,
               nullptr);
  glGenRenderbuffers(1, &depthTarget_);
  glBindRenderbuffer(GL_RENDERBUFFER, depthTarget_);
  // The layer's frames ask for D3DFMT_D16.
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kFrameWidth, kFrameHeight);
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTarget_, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthTarget_);
  glViewport(0, 0, kFrameWidth, kFrameHeight);
}

RawFrame::~RawFrame() {
  if (context_) {
    SDL_GL_MakeCurrent(window_, context_);
    glDeleteTextures(1, &colorTarget_);
    glDeleteRenderbuffers(1, &depthTarget_);
    glDeleteFramebuffers(1, &fbo_);
    SDL_GL_DeleteContext(context_);
  }
  if (window_) SDL_DestroyWindow(window_);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void RawFrame::Begin() {
  SDL_GL_MakeCurrent(window_, context_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

void RawFrame::Finish() {
  glFlush();
  glFinish();
}

GLuint RawFrame::Program(const char* vertexSource, const char* fragmentSource) {
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

GLuint RawFrame::Texture64(const uint32_t* texels) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return texture;
}

std::unique_ptr<FrameDrawer> MakeRawGlFrame(BenchFrame frame) {
  switch (frame) {
    case BenchFrame::kGrid:
      return MakeRawGrid();
    case BenchFrame::kDynamicTube:
      return MakeRawTube();
    case BenchFrame::kManyQuads:
      return MakeRawQuads();
  }
  return nullptr;
}

}  // namespace vexil_bench

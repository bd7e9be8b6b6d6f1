// The raw OpenGL context and framebuffer of the effect benchmarks.
#include "raw_gl_context.h"

#include <SDL.h>

#include <cstddef>
#include <cstdio>
#include <vector>

#include "bench_scenes.h"
#include "bench_world.h"
#include "vertex_formats.h"

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

GLuint Texture(const std::vector<uint32_t>& bgra) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  return texture;
}

}  // namespace

RawGlContext::RawGlContext() {
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  m_window = SDL_CreateWindow("raw", 0, 0, kBenchWidth, kBenchHeight,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  m_context = m_window ? SDL_GL_CreateContext(m_window) : nullptr;
  if (!m_context) {
    std::fprintf(stderr, "raw GL: no context: %s\n", SDL_GetError());
    return;
  }
  SDL_GL_MakeCurrent(m_window, m_context);
  glGenTextures(1, &m_colour);
  glBindTexture(GL_TEXTURE_2D, m_colour);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kBenchWidth, kBenchHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE,
               nullptr);
  glGenRenderbuffers(1, &m_depth);
  glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kBenchWidth, kBenchHeight);
  glGenFramebuffers(1, &m_fbo);
  glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colour, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, m_depth);
}

RawGlContext::~RawGlContext() {
  if (m_context) {
    SDL_GL_MakeCurrent(m_window, m_context);
    glDeleteFramebuffers(1, &m_fbo);
    glDeleteRenderbuffers(1, &m_depth);
    glDeleteTextures(1, &m_colour);
    SDL_GL_DeleteContext(m_context);
  }
  if (m_window) SDL_DestroyWindow(m_window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void RawGlContext::Begin() {
  SDL_GL_MakeCurrent(m_window, m_context);
  glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
  glViewport(0, 0, kBenchWidth, kBenchHeight);
  glDepthMask(GL_TRUE);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
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

GLuint RawGlContext::PictureTexture() {
  return Texture(BenchPicture());
}

GLuint RawGlContext::BlackTexture() {
  return Texture(std::vector<uint32_t>(256 * 256, 0xFF000000u));
}

void ColorTexAttributes() {
  using V = effects::VertexColorTex;
  const GLsizei stride = sizeof(V);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<void*>(offsetof(V, color)));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(V, u)));
}

}  // namespace vexil_bench

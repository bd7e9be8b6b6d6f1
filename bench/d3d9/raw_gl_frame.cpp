// The benchmark frame as a graphics programmer would write it directly in OpenGL 3.3: two
// hand-written lighting programs (with and without specular), plain uniforms, the same ten
// state changes and draws into a 640 x 480 framebuffer object, then glFinish.
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <cmath>
#include <cstdio>

#include "frames.h"
#include "scene.h"

namespace vexil_bench {

namespace {

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 3) in vec2 aTexCoord;
uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform vec3 uLightDir;
uniform vec3 uAmbient;
uniform vec4 uMatDiffuse;
uniform vec4 uMatSpecular;
uniform float uPower;
uniform bool uSpecular;
out vec4 vDiffuse;
out vec3 vSpecular;
out vec2 vTexCoord;
void main() {
  vec4 p = uWorldView * vec4(aPosition, 1.0);
  vec4 clip = uProjection * p;
  gl_Position = vec4(clip.x, -clip.y, 2.0 * clip.z - clip.w, clip.w);
  vec3 n = normalize(mat3(uWorldView) * aNormal);
  float nl = dot(n, uLightDir);
  vDiffuse = clamp(vec4(uAmbient + uMatDiffuse.rgb * max(nl, 0.0), uMatDiffuse.a), 0.0, 1.0);
  vSpecular = vec3(0.0);
  if (uSpecular && nl > 0.0) {
    vec3 h = normalize(uLightDir - normalize(p.xyz));
    vSpecular = uMatSpecular.rgb * pow(max(dot(n, h), 0.0), uPower);
  }
  vTexCoord = aTexCoord;
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vDiffuse;
in vec3 vSpecular;
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
  vec4 c = texture(uTexture, vTexCoord) * vDiffuse;
  fragColor = vec4(clamp(c.rgb + vSpecular, 0.0, 1.0), c.a);
}
)";

GLuint Compile(GLenum type, const char* source) {
  GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  GLint ok = 0;
  glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048];
    glGetShaderInfoLog(s, sizeof log, nullptr, log);
    std::fprintf(stderr, "raw GL shader: %s\n", log);
  }
  return s;
}

class RawGlFrame : public FrameDrawer {
 public:
  RawGlFrame() {
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
    const Scene& s = BenchScene();

    GLuint vs = Compile(GL_VERTEX_SHADER, kVertexShader);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, kFragmentShader);
    program_ = glCreateProgram();
    glAttachShader(program_, vs);
    glAttachShader(program_, fs);
    glLinkProgram(program_);
    glUseProgram(program_);
    glUniformMatrix4fv(glGetUniformLocation(program_, "uWorldView"), 1, GL_FALSE, s.view);
    glUniformMatrix4fv(glGetUniformLocation(program_, "uProjection"), 1, GL_FALSE, s.projection);
    const float d[3] = {0.5f, -0.3f, 0.8f};
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    glUniform3f(glGetUniformLocation(program_, "uLightDir"), -d[0] / len, -d[1] / len, -d[2] / len);
    glUniform4f(glGetUniformLocation(program_, "uMatDiffuse"), 0.8f, 0.8f, 0.8f, 0.7f);
    glUniform4f(glGetUniformLocation(program_, "uMatSpecular"), 0.5f, 0.5f, 0.5f, 1.0f);
    glUniform1f(glGetUniformLocation(program_, "uPower"), 20.0f);
    ambient_ = glGetUniformLocation(program_, "uAmbient");
    specular_ = glGetUniformLocation(program_, "uSpecular");
    glUniform3f(ambient_, 0.125f, 0.125f, 0.125f);
    glUniform1i(specular_, 0);

    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &vb_);
    glBindBuffer(GL_ARRAY_BUFFER, vb_);
    glBufferData(GL_ARRAY_BUFFER, s.vertices.size() * sizeof(SceneVertex), s.vertices.data(),
                 GL_STATIC_DRAW);
    glGenBuffers(1, &ib_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, s.indices.size() * 2, s.indices.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(SceneVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(SceneVertex),
                          reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, sizeof(SceneVertex),
                          reinterpret_cast<void*>(28));

    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 s.texture.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    glGenTextures(1, &colorTarget_);
    glBindTexture(GL_TEXTURE_2D, colorTarget_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kFrameWidth, kFrameHeight, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &depthTarget_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthTarget_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kFrameWidth, kFrameHeight);
    glGenFramebuffers(1, &fbo_);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTarget_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              depthTarget_);
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, texture_);
  }

  ~RawGlFrame() override {
    if (context_) {
      SDL_GL_MakeCurrent(window_, context_);
      glDeleteProgram(program_);
      glDeleteBuffers(1, &vb_);
      glDeleteBuffers(1, &ib_);
      glDeleteTextures(1, &texture_);
      glDeleteTextures(1, &colorTarget_);
      glDeleteRenderbuffers(1, &depthTarget_);
      glDeleteFramebuffers(1, &fbo_);
      glDeleteVertexArrays(1, &vao_);
      SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  void DrawFrame() override {
    if (!context_) return;
    SDL_GL_MakeCurrent(window_, context_);
    glClearColor(0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (int b = 0; b < kBatches; ++b) {
      switch (b) {
        case 0:
          glDisable(GL_CULL_FACE);
          break;
        case 1:
          glEnable(GL_BLEND);
          break;
        case 2:
          glUniform1i(specular_, 1);
          break;
        case 3:
          glUniform3f(ambient_, 0.25f, 0.25f, 0.25f);
          break;
        case 4:
          glEnable(GL_CULL_FACE);
          break;
        case 5:
          glDisable(GL_BLEND);
          break;
        case 6:
          glDepthFunc(GL_LESS);
          break;
        case 7:
          glUniform1i(specular_, 0);
          break;
        case 8:
          glUniform3f(ambient_, 0.125f, 0.125f, 0.125f);
          break;
        case 9:
          glDepthFunc(GL_LEQUAL);
          break;
      }
      glDrawElements(GL_TRIANGLES, kTrianglesPerBatch * 3, GL_UNSIGNED_SHORT,
                     reinterpret_cast<void*>(size_t(b) * kTrianglesPerBatch * 3 * 2));
    }
    glFlush();
    glFinish();
  }

 private:
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  GLuint program_ = 0, vao_ = 0, vb_ = 0, ib_ = 0, texture_ = 0;
  GLuint colorTarget_ = 0, depthTarget_ = 0, fbo_ = 0;
  GLint ambient_ = -1, specular_ = -1;
};

}  // namespace

std::unique_ptr<FrameDrawer> MakeRawGlFrame() {
  return std::make_unique<RawGlFrame>();
}

}  // namespace vexil_bench

// Frame (a) as a graphics programmer would write it directly in OpenGL 3.3: one lighting
// program with plain uniforms (specular switched by a uniform), the same ten state changes and
// draws into the 640 x 480 framebuffer object.
#include <cmath>
#include <string>

#include "raw_frame.h"
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
uniform vec3 uMatAmbient;
uniform vec4 uMatDiffuse;
uniform vec4 uMatSpecular;
uniform float uPower;
uniform bool uSpecular;
out vec4 vDiffuse;
out vec3 vSpecular;
out vec2 vTexCoord;
vec4 FromD3D(vec4 c);
void main() {
  vec4 p = uWorldView * vec4(aPosition, 1.0);
  gl_Position = FromD3D(uProjection * p);
  vec3 n = normalize(mat3(uWorldView) * aNormal);
  float nl = dot(n, uLightDir);
  // Ambient light (the global one plus the light's white ambient) reaches the picture through
  // the material's ambient colour, as fixed-function lighting computes it.
  vec3 ambient = uMatAmbient * (uAmbient + vec3(1.0));
  vDiffuse = clamp(vec4(ambient + uMatDiffuse.rgb * max(nl, 0.0), uMatDiffuse.a), 0.0, 1.0);
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
  // Stage 0 at its defaults: colour MODULATE(texture, diffuse), alpha SELECTARG1(texture).
  vec4 t = texture(uTexture, vTexCoord);
  fragColor = vec4(clamp(t.rgb * vDiffuse.rgb + vSpecular, 0.0, 1.0), t.a);
}
)";

class RawGrid : public RawFrame {
 public:
  RawGrid() {
    if (!RawFrame::ok()) return;
    const Scene& s = BenchScene();
    const std::string vertex = std::string(kVertexShader) + kClipFromD3D;
    program_ = RawGlContext::Program(vertex.c_str(), kFragmentShader);
    glUseProgram(program_);
    glUniformMatrix4fv(glGetUniformLocation(program_, "uWorldView"), 1, GL_FALSE, s.view);
    glUniformMatrix4fv(glGetUniformLocation(program_, "uProjection"), 1, GL_FALSE, s.projection);
    const float d[3] = {0.5f, -0.3f, 0.8f};
    const float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    glUniform3f(glGetUniformLocation(program_, "uLightDir"), -d[0] / len, -d[1] / len, -d[2] / len);
    // The layer's frame sets no material ambient: the ambient changes below change no pixel
    // there, and none here.
    glUniform3f(glGetUniformLocation(program_, "uMatAmbient"), 0.0f, 0.0f, 0.0f);
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
    // The material gives the diffuse colour: the vertex colour is not read.
    FvfAttributes(kSceneFvf, false);
    texture_ = Texture64(s.texture.data());
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }

  ~RawGrid() override {
    if (!RawFrame::ok()) return;
    Begin();
    glDeleteProgram(program_);
    glDeleteBuffers(1, &vb_);
    glDeleteBuffers(1, &ib_);
    glDeleteTextures(1, &texture_);
    glDeleteVertexArrays(1, &vao_);
  }

  void DrawFrame() override {
    Begin();
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
    Finish();
  }

 private:
  GLuint program_ = 0, vao_ = 0, vb_ = 0, ib_ = 0, texture_ = 0;
  GLint ambient_ = -1, specular_ = -1;
};

}  // namespace

std::unique_ptr<FrameDrawer> MakeRawGrid() {
  return std::make_unique<RawGrid>();
}

}  // namespace vexil_bench

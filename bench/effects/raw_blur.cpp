// The blur frame in raw OpenGL: fifty additive full-screen passes of one texture, each with
// its quad written into a fresh buffer store, the colour a uniform (ambient x grey).
#include <cstddef>
#include <string>

#include "geometry/zoom_blur_passes.h"
#include "raw_effect_frame.h"

namespace vexil_bench {

namespace {

const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUv;
out vec2 vUv;
out float vAlpha;
vec4 FromD3D(vec4 c);
void main() {
  vUv = aUv;
  vAlpha = aColor.a;
  gl_Position = FromD3D(vec4(aPosition.x / 320.0 - 1.0, aPosition.y / 240.0 - 1.0, 0.5, 1.0));
}
)";

const char* kFragment = R"(#version 330 core
in vec2 vUv;
in float vAlpha;
uniform sampler2D uTexture;
uniform vec3 uLit;
out vec4 fragColor;
void main() {
  vec4 t = texture(uTexture, vUv);
  fragColor = vec4(t.rgb * uLit, min(vAlpha + vAlpha, 1.0));
}
)";

class RawBlur : public RawEffectFrame {
 public:
  RawBlur() {
    const std::string vertex = std::string(kVertex) + kClipFromD3D;
    m_program = RawGlContext::Program(vertex.c_str(), kFragment);
    m_lit = glGetUniformLocation(m_program, "uLit");
    m_texture = BlackTexture();
    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    glBufferData(GL_ARRAY_BUFFER, 4 * sizeof(effects::VertexColorTex), nullptr, GL_DYNAMIC_DRAW);
    FvfAttributes(effects::VertexColorTex::kFvf);
  }

  ~RawBlur() override {
    glDeleteBuffers(1, &m_buffer);
    glDeleteVertexArrays(1, &m_vao);
    glDeleteTextures(1, &m_texture);
    glDeleteProgram(m_program);
  }

  void Draw(float) override {
    glUseProgram(m_program);
    glBindVertexArray(m_vao);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glUniform3f(m_lit, 0.02f, 0.02f, 0.02f);

    const int passes = effects::BlurPassCount(50);
    const effects::ZoomCentre centre = effects::ZoomCentreFor(0.0f, 0.0f);
    effects::ZoomBlurPass pass = effects::ZoomBlurPass::First(0.1f, passes);
    for (int i = 0; i < passes; ++i) {
      effects::VertexColorTex quad[4];
      effects::WriteBlurQuad(centre, pass, quad);
      glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_DYNAMIC_DRAW);
      glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
      pass.Advance(0.01f);
    }
  }

 private:
  GLuint m_program = 0, m_vao = 0, m_buffer = 0, m_texture = 0;
  GLint m_lit = -1;
};

}  // namespace

std::unique_ptr<RawEffectFrame> MakeRawBlur() {
  return std::make_unique<RawBlur>();
}

}  // namespace vexil_bench

// The twister frame in raw OpenGL: the tube rebuilt on the processor and sent into a fresh
// buffer store, drawn as one strip per segment under one directional light with specular,
// textured, alpha blended and depth tested.
#include <cstddef>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "geometry/twister_tube.h"
#include "raw_effect_frame.h"

namespace vexil_bench {

namespace {

const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUv;
uniform mat4 uView;
uniform mat4 uProjection;
uniform vec3 uToLight;  // in view space
out vec2 vUv;
out vec4 vDiffuse;
out vec3 vSpecular;
vec4 FromD3D(vec4 c);
void main() {
  vec4 p = uView * vec4(aPosition, 1.0);
  gl_Position = FromD3D(uProjection * p);
  vec3 n = normalize(mat3(uView) * aNormal);
  float nl = dot(n, uToLight);
  // Material ambient 0.2 under white ambient light and the light's white ambient.
  vDiffuse = clamp(vec4(vec3(0.4) + aColor.rgb * max(nl, 0.0), aColor.a), 0.0, 1.0);
  vSpecular = vec3(0.0);
  if (nl > 0.0) {
    vec3 h = normalize(uToLight - normalize(p.xyz));
    float nh = dot(n, h);
    if (nh > 0.0) vSpecular = vec3(clamp(pow(nh, 20.0), 0.0, 1.0));
  }
  vUv = aUv;
}
)";

const char* kFragment = R"(#version 330 core
in vec2 vUv;
in vec4 vDiffuse;
in vec3 vSpecular;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
  vec4 t = texture(uTexture, vUv);
  fragColor = vec4(clamp(t.rgb * vDiffuse.rgb + vSpecular, 0.0, 1.0), t.a);
}
)";

class RawTwister : public RawEffectFrame {
 public:
  RawTwister() : m_outline(TwisterOutline()) {
    const std::string vertex = std::string(kVertex) + kClipFromD3D;
    m_program = RawGlContext::Program(vertex.c_str(), kFragment);
    m_view = glGetUniformLocation(m_program, "uView");
    m_projection = glGetUniformLocation(m_program, "uProjection");
    m_toLight = glGetUniformLocation(m_program, "uToLight");
    m_texture = PictureTexture();
    effects::BuildArcTable(m_outline, &m_arc);
    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    FvfAttributes(effects::VertexNormalColorTex::kFvf);
  }

  ~RawTwister() override {
    glDeleteBuffers(1, &m_buffer);
    glDeleteVertexArrays(1, &m_vao);
    glDeleteTextures(1, &m_texture);
    glDeleteProgram(m_program);
  }

  void Draw(float) override {
    glClear(GL_DEPTH_BUFFER_BIT);
    effects::TwisterFrame frame{};
    frame.segment = kTwisterSegments;
    frame.axisStart = kTwisterAxisStart;
    frame.axisEnd = kTwisterAxisEnd;
    frame.endTwist = kTwisterEndTwist;
    frame.thickness = 1.0f;
    frame.texWidthTiling = frame.texHeightTiling = 1.0f;
    effects::BuildTwisterTube(frame, m_outline, m_arc, &m_pairs);

    const int stripVertices = static_cast<int>(m_outline.size() + 1) * 2;
    glUseProgram(m_program);
    glBindVertexArray(m_vao);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffer);
    glBufferData(GL_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(kTwisterSegments) * stripVertices *
                     sizeof(effects::VertexNormalColorTex),
                 m_pairs.data(), GL_DYNAMIC_DRAW);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    D3DXMATRIX view, projection;
    const D3DXVECTOR3 at(0, 0, 0), up(0, 1, 1);
    D3DXMatrixLookAtLH(&view, &kTwisterEye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 1.0f, 100.0f);
    SetMatrix(m_view, view);
    SetMatrix(m_projection, projection);
    D3DXVECTOR3 toLight(-0.5f, 0.0f, 0.5f), inView;
    D3DXVec3Normalize(&toLight, &toLight);
    D3DXVec3TransformNormal(&inView, &toLight, &view);
    glUniform3f(m_toLight, inView.x, inView.y, inView.z);
    for (int k = 0; k < kTwisterSegments; ++k) {
      glDrawArrays(GL_TRIANGLE_STRIP, k * stripVertices, stripVertices);
    }
  }

 private:
  std::vector<D3DXVECTOR2> m_outline;
  std::vector<float> m_arc;
  std::vector<effects::VertexNormalColorTex> m_pairs;
  GLuint m_program = 0, m_vao = 0, m_buffer = 0, m_texture = 0;
  GLint m_view = -1, m_projection = -1, m_toLight = -1;
};

}  // namespace

std::unique_ptr<RawEffectFrame> MakeRawTwister() {
  return std::make_unique<RawTwister>();
}

}  // namespace vexil_bench

// The torus tunnel frame in raw OpenGL: the torus in static buffers, one indexed draw of the
// texture alone under the camera inside the tube, depth tested.
#include <cstddef>
#include <string>
#include <vector>

#include "bench_world.h"
#include "geometry/torus_mesh.h"
#include "raw_effect_frame.h"

namespace vexil_bench {

namespace {

const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 3) in vec2 aUv;
uniform mat4 uWorldViewProjection;
out vec2 vUv;
vec4 FromD3D(vec4 c);
void main() {
  vUv = aUv;
  gl_Position = FromD3D(uWorldViewProjection * vec4(aPosition, 1.0));
}
)";

const char* kFragment = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
  fragColor = vec4(texture(uTexture, vUv).rgb, 1.0);
}
)";

class RawTorusTunnel : public RawEffectFrame {
 public:
  RawTorusTunnel() {
    const std::string vertex = std::string(kVertex) + kClipFromD3D;
    m_program = RawGlContext::Program(vertex.c_str(), kFragment);
    m_matrix = glGetUniformLocation(m_program, "uWorldViewProjection");
    m_texture = PictureTexture();
    std::vector<effects::VertexColorTex> vertices;
    std::vector<effects::Triangle16> triangles;
    effects::BuildTorus(1.0f, 128, 0.1f, 16, &vertices, &triangles);
    m_indexCount = static_cast<GLsizei>(triangles.size() * 3);
    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(effects::VertexColorTex),
                 vertices.data(), GL_STATIC_DRAW);
    glGenBuffers(1, &m_indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, triangles.size() * sizeof(effects::Triangle16),
                 triangles.data(), GL_STATIC_DRAW);
    // The program takes no vertex colour.
    FvfAttributes(effects::VertexColorTex::kFvf, false);
  }

  ~RawTorusTunnel() override {
    glDeleteBuffers(1, &m_vertexBuffer);
    glDeleteBuffers(1, &m_indexBuffer);
    glDeleteVertexArrays(1, &m_vao);
    glDeleteTextures(1, &m_texture);
    glDeleteProgram(m_program);
  }

  void Draw(float) override {
    glUseProgram(m_program);
    glBindVertexArray(m_vao);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);

    D3DXMATRIX view, projection, roll, drop, turnZ, turnY;
    const D3DXVECTOR3 eye(0, 0, -0.1f), at(0, 0, 5), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f,
                               static_cast<float>(kBenchWidth) / kBenchHeight, 0.1f, 100.0f);
    D3DXMatrixRotationX(&roll, 0.0f);
    D3DXMatrixTranslation(&drop, 0.0f, -1.0f, 0.0f);
    D3DXMatrixRotationZ(&turnZ, 0.0f);
    D3DXMatrixRotationY(&turnY, 0.0f);
    SetMatrix(m_matrix, roll * drop * turnZ * turnY * view * projection);
    glDrawElements(GL_TRIANGLES, m_indexCount, GL_UNSIGNED_SHORT, nullptr);
  }

 private:
  GLuint m_program = 0, m_vao = 0, m_vertexBuffer = 0, m_indexBuffer = 0, m_texture = 0;
  GLint m_matrix = -1;
  GLsizei m_indexCount = 0;
};

}  // namespace

std::unique_ptr<RawEffectFrame> MakeRawTorusTunnel() {
  return std::make_unique<RawTorusTunnel>();
}

}  // namespace vexil_bench

// The texscreen frame in raw OpenGL: the 30 x 30 grid rebuilt on the processor and sent into a
// fresh buffer store, drawn indexed with alpha blending under the same camera.
#include <cstddef>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "bench_world.h"
#include "geometry/texscreen_grid.h"
#include "raw_effect_frame.h"

namespace vexil_bench {

namespace {

const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aUv;
uniform mat4 uWorldViewProjection;
out vec2 vUv;
out vec4 vColor;
vec4 FromD3D(vec4 c);
void main() {
  vUv = aUv;
  vColor = aColor;
  gl_Position = FromD3D(uWorldViewProjection * vec4(aPosition, 1.0));
}
)";

const char* kFragment = R"(#version 330 core
in vec2 vUv;
in vec4 vColor;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
  fragColor = texture(uTexture, vUv) * vColor;
}
)";

class RawTexScreen : public RawEffectFrame {
 public:
  RawTexScreen() {
    const std::string vertex = std::string(kVertex) + kClipFromD3D;
    m_program = RawGlContext::Program(vertex.c_str(), kFragment);
    m_matrix = glGetUniformLocation(m_program, "uWorldViewProjection");
    m_texture = PictureTexture();
    effects::BuildTexScreenGrid(Settings(), &m_vertices, &m_triangles);
    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(1, &m_vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, m_vertices.size() * sizeof(effects::VertexColorTex),
                 m_vertices.data(), GL_DYNAMIC_DRAW);
    glGenBuffers(1, &m_indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, m_triangles.size() * sizeof(effects::Triangle16),
                 m_triangles.data(), GL_STATIC_DRAW);
    FvfAttributes(effects::VertexColorTex::kFvf);
  }

  ~RawTexScreen() override {
    glDeleteBuffers(1, &m_vertexBuffer);
    glDeleteBuffers(1, &m_indexBuffer);
    glDeleteVertexArrays(1, &m_vao);
    glDeleteTextures(1, &m_texture);
    glDeleteProgram(m_program);
  }

  void Draw(float) override {
    effects::BuildTexScreenGrid(Settings(), &m_vertices, &m_triangles);
    glUseProgram(m_program);
    glBindVertexArray(m_vao);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, m_vertices.size() * sizeof(effects::VertexColorTex),
                 m_vertices.data(), GL_DYNAMIC_DRAW);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    D3DXMATRIX world, view, projection;
    D3DXMatrixRotationZ(&world, kTexScreenTurn * 0.0174533f);
    const D3DXVECTOR3 eye(0, 0, -2), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.785398163f,
                               static_cast<float>(kBenchWidth) / kBenchHeight, 0.1f, 100.0f);
    SetMatrix(m_matrix, world * view * projection);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(m_triangles.size() * 3), GL_UNSIGNED_SHORT,
                   nullptr);
  }

 private:
  static effects::TexScreenGridSettings Settings() {
    return {30, 30, 0.0f, 0.03f, 0.03f, 0.0f, 0.0f, 1.0f, 1.0f, kTexScreenBend, 1.0f};
  }

  std::vector<effects::VertexColorTex> m_vertices;
  std::vector<effects::Triangle16> m_triangles;
  GLuint m_program = 0, m_vao = 0, m_vertexBuffer = 0, m_indexBuffer = 0, m_texture = 0;
  GLint m_matrix = -1;
};

}  // namespace

std::unique_ptr<RawEffectFrame> MakeRawTexScreen() {
  return std::make_unique<RawTexScreen>();
}

}  // namespace vexil_bench

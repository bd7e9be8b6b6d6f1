// Frame (c) in raw OpenGL 3.3: per quad, its four vertices sent with a fresh buffer store,
// its world x projection matrix (multiplied on the CPU) as the one uniform, and the texture
// and blend function changed only when they differ from the quad before.
#include <string>

#include "raw_frame.h"
#include "scene.h"

namespace vexil_bench {

namespace {

const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aTexCoord;
uniform mat4 uWorldViewProjection;
out vec4 vColor;
out vec2 vTexCoord;
vec4 FromD3D(vec4 c);
void main() {
  gl_Position = FromD3D(uWorldViewProjection * vec4(aPosition, 1.0));
  vColor = aColor;
  vTexCoord = aTexCoord;
}
)";

const char* kFragment = R"(#version 330 core
in vec4 vColor;
in vec2 vTexCoord;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
  fragColor = texture(uTexture, vTexCoord) * vColor;
}
)";

class RawQuads : public RawFrame {
 public:
  RawQuads() {
    if (!RawFrame::ok()) return;
    const std::string vertex = std::string(kVertex) + kClipFromD3D;
    program_ = RawGlContext::Program(vertex.c_str(), kFragment);
    glUseProgram(program_);
    matrix_ = glGetUniformLocation(program_, "uWorldViewProjection");
    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &vb_);
    glBindBuffer(GL_ARRAY_BUFFER, vb_);
    FvfAttributes(kQuadFvf);
    textures_[0] = Texture64(QuadTexels(0).data());
    textures_[1] = Texture64(QuadTexels(1).data());
    glEnable(GL_BLEND);
  }

  ~RawQuads() override {
    if (!RawFrame::ok()) return;
    Begin();
    glDeleteProgram(program_);
    glDeleteBuffers(1, &vb_);
    glDeleteTextures(2, textures_);
    glDeleteVertexArrays(1, &vao_);
  }

  void DrawFrame() override {
    Begin();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    int texture = -1, additive = -1;
    for (int pass = 0; pass < kQuadPasses; ++pass) {
      QuadVertex quad[4];
      WriteQuad(pass, quad);
      glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STREAM_DRAW);
      const Matrix wvp = Multiply(QuadWorld(frame_, pass), QuadProjection());
      glUniformMatrix4fv(matrix_, 1, GL_FALSE, wvp.m);
      if (QuadTexture(pass) != texture) {
        texture = QuadTexture(pass);
        glBindTexture(GL_TEXTURE_2D, textures_[texture]);
      }
      if (int(QuadAdditive(pass)) != additive) {
        additive = QuadAdditive(pass);
        glBlendFunc(GL_SRC_ALPHA, additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
      }
      glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    Finish();
    ++frame_;
  }

 private:
  GLuint program_ = 0, vao_ = 0, vb_ = 0, textures_[2] = {};
  GLint matrix_ = -1;
  int frame_ = 0;
};

}  // namespace

std::unique_ptr<FrameDrawer> MakeRawQuads() {
  return std::make_unique<RawQuads>();
}

}  // namespace vexil_bench

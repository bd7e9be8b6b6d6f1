// Frame (b) in raw OpenGL 3.3: the tube's vertices generated into memory and sent with a fresh
// buffer store every frame, one program specialised for what the frame uses (a point light
// with attenuation and range, vertex colour, specular added, linear fog from view depth, a
// texture), the frame's world-view matrix the only uniform that changes.
#include <string>
#include <vector>

#include "raw_frame.h"
#include "scene.h"

namespace vexil_bench {

namespace {

const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aTexCoord;
uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform vec3 uLightPosition;  // view space
uniform vec3 uLightDiffuse, uLightSpecular, uLightAmbient;
uniform vec3 uAttenuation;  // constant, linear, range
uniform vec3 uMatAmbient, uMatSpecular;
uniform float uPower;
uniform vec3 uGlobalAmbient;
out vec4 vDiffuse;
out vec3 vSpecular;
out vec2 vTexCoord;
out float vDepth;
vec4 FromD3D(vec4 c);
void main() {
  vec4 p = uWorldView * vec4(aPosition, 1.0);
  gl_Position = FromD3D(uProjection * p);
  vec3 n = mat3(uWorldView) * aNormal;  // the world only turns: no inverse transpose needed
  vec3 d = uLightPosition - p.xyz;
  float dist = length(d);
  vec3 l = d / dist;
  float att = dist > uAttenuation.z ? 0.0 : 1.0 / (uAttenuation.x + uAttenuation.y * dist);
  float nl = dot(n, l);
  vDiffuse = clamp(vec4(uMatAmbient * (uGlobalAmbient + uLightAmbient * att) +
                        aColor.rgb * uLightDiffuse * max(nl, 0.0) * att, aColor.a), 0.0, 1.0);
  vSpecular = vec3(0.0);
  if (nl > 0.0) {
    vec3 h = normalize(l - normalize(p.xyz));
    float nh = dot(n, h);
    if (nh > 0.0) vSpecular = clamp(uMatSpecular * uLightSpecular * pow(nh, uPower) * att, 0.0, 1.0);
  }
  vTexCoord = aTexCoord;
  vDepth = p.z;
}
)";

const char* kFragment = R"(#version 330 core
in vec4 vDiffuse;
in vec3 vSpecular;
in vec2 vTexCoord;
in float vDepth;
uniform sampler2D uTexture;
uniform vec3 uFogColor;
uniform vec2 uFogRange;
out vec4 fragColor;
void main() {
  vec4 c = texture(uTexture, vTexCoord) * vDiffuse;
  c.rgb = clamp(c.rgb + vSpecular, 0.0, 1.0);
  float f = clamp((uFogRange.y - vDepth) / (uFogRange.y - uFogRange.x), 0.0, 1.0);
  fragColor = vec4(mix(uFogColor, c.rgb, f), c.a);
}
)";

float Channel(uint32_t color, int shift) {
  return float((color >> shift) & 0xff) / 255.0f;
}

class RawTube : public RawFrame {
 public:
  RawTube() : vertices_(kTubeVertexCount) {
    if (!RawFrame::ok()) return;
    const std::string vertex = std::string(kVertex) + kClipFromD3D;
    program_ = RawGlContext::Program(vertex.c_str(), kFragment);
    glUseProgram(program_);
    worldView_ = glGetUniformLocation(program_, "uWorldView");
    glUniformMatrix4fv(glGetUniformLocation(program_, "uProjection"), 1, GL_FALSE,
                       TubeProjection().m);
    // The view is fixed: the light's view-space position is set once.
    const float* v = TubeView().m;
    const float* l = kTubeLight;
    glUniform3f(glGetUniformLocation(program_, "uLightPosition"),
                l[0] * v[0] + l[1] * v[4] + l[2] * v[8] + v[12],
                l[0] * v[1] + l[1] * v[5] + l[2] * v[9] + v[13],
                l[0] * v[2] + l[1] * v[6] + l[2] * v[10] + v[14]);
    glUniform3f(glGetUniformLocation(program_, "uLightDiffuse"), 1.0f, 0.95f, 0.9f);
    glUniform3f(glGetUniformLocation(program_, "uLightSpecular"), 1.0f, 1.0f, 1.0f);
    glUniform3f(glGetUniformLocation(program_, "uLightAmbient"), 0.1f, 0.1f, 0.1f);
    glUniform3f(glGetUniformLocation(program_, "uAttenuation"), 1.0f, 0.05f, kTubeLightRange);
    glUniform3f(glGetUniformLocation(program_, "uMatAmbient"), 0.6f, 0.6f, 0.7f);
    glUniform3f(glGetUniformLocation(program_, "uMatSpecular"), 0.6f, 0.6f, 0.6f);
    glUniform1f(glGetUniformLocation(program_, "uPower"), 16.0f);
    glUniform3f(glGetUniformLocation(program_, "uGlobalAmbient"), 0x30 / 255.0f, 0x30 / 255.0f,
                0x30 / 255.0f);
    glUniform3f(glGetUniformLocation(program_, "uFogColor"), Channel(kTubeFogColor, 16),
                Channel(kTubeFogColor, 8), Channel(kTubeFogColor, 0));
    glUniform2f(glGetUniformLocation(program_, "uFogRange"), kTubeFogStart, kTubeFogEnd);

    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &vb_);
    glBindBuffer(GL_ARRAY_BUFFER, vb_);
    glGenBuffers(1, &ib_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, TubeIndices().size() * 2, TubeIndices().data(),
                 GL_STATIC_DRAW);
    FvfAttributes(kSceneFvf);
    texture_ = Texture64(BenchScene().texture.data());
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
  }

  ~RawTube() override {
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
    glClearColor(Channel(kTubeFogColor, 16), Channel(kTubeFogColor, 8), Channel(kTubeFogColor, 0),
                 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Matrix worldView = Multiply(TubeWorld(frame_), TubeView());
    glUniformMatrix4fv(worldView_, 1, GL_FALSE, worldView.m);
    WriteTubeVertices(frame_, vertices_.data());
    glBufferData(GL_ARRAY_BUFFER, vertices_.size() * sizeof(SceneVertex), vertices_.data(),
                 GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, kTubeTriangles * 3, GL_UNSIGNED_SHORT, nullptr);
    Finish();
    ++frame_;
  }

 private:
  std::vector<SceneVertex> vertices_;
  GLuint program_ = 0, vao_ = 0, vb_ = 0, ib_ = 0, texture_ = 0;
  GLint worldView_ = -1;
  int frame_ = 0;
};

}  // namespace

std::unique_ptr<FrameDrawer> MakeRawTube() {
  return std::make_unique<RawTube>();
}

}  // namespace vexil_bench

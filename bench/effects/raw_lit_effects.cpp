// The raw OpenGL frames of the metaballs, the spline tunnel, the trail tube and the mesh
// viewer. The CPU work that belongs to an effect (the metaball surface, the tube, the trail's
// rings, the mesh's size factor and placement) is done by the effects' own builders; only
// the drawing differs: one hand-written lighting program with plain uniforms, the fixed
// function's formulas for one light, instead of the D3D9 layer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "bench_world.h"
#include "d3d9/null/d3d9_null.h"
#include "d3dx9/d3dx9.h"
#include "geometry/mesh_placement.h"
#include "geometry/metaball_surface.h"
#include "geometry/spline_tube.h"
#include "geometry/trail_emitter.h"
#include "raw_effect_frame.h"
#include "vertex_formats.h"

namespace vexil_bench {

namespace {

// The switches of the fixed function that a frame uses are compiled in (POINT_LIGHT,
// VERTEX_COLOR, NORMALIZE, SPECULAR_ADD, FOG), as a graphics programmer specialises shaders.
const char* kLitVertex = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aColor;
layout(location = 3) in vec2 aTexCoord;
uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec3 uLight;  // directional: towards the light; point: its position (view space)
uniform float uLightRange;
uniform vec3 uLightDiffuse, uLightSpecular, uLightAmbient;
uniform vec4 uMatDiffuse;
uniform vec3 uMatAmbient, uMatSpecular, uMatEmissive;
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
  vec3 n = uNormalMatrix * aNormal;
#if NORMALIZE
  n = normalize(n);
#endif
#if POINT_LIGHT
  vec3 d = uLight - p.xyz;
  float dist = length(d);
  vec3 l = d / max(dist, 1e-20);
  float att = dist > uLightRange ? 0.0 : 1e20;  // no attenuation terms: D3D's 1/0, clamped
#else
  vec3 l = uLight;
  float att = 1.0;
#endif
  float nl = dot(n, l);
#if VERTEX_COLOR
  vec4 cd = aColor;
#else
  vec4 cd = uMatDiffuse;
#endif
  vDiffuse = clamp(vec4(uMatEmissive + uMatAmbient * (uGlobalAmbient + uLightAmbient * att) +
                        cd.rgb * uLightDiffuse * max(nl, 0.0) * att, cd.a), 0.0, 1.0);
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

const char* kLitFragment = R"(
in vec4 vDiffuse;
in vec3 vSpecular;
in vec2 vTexCoord;
in float vDepth;
uniform sampler2D uTexture;
uniform bool uTextured;
uniform vec3 uFogColor;
uniform vec2 uFogRange;
out vec4 fragColor;
void main() {
  // Sampled outside any branch: implicit derivatives need uniform control flow.
  vec4 t = texture(uTexture, vTexCoord);
  vec4 c = uTextured ? t * vDiffuse : vDiffuse;
#if SPECULAR_ADD
  c.rgb = clamp(c.rgb + vSpecular, 0.0, 1.0);
#endif
#if FOG
  float f = clamp((uFogRange.y - vDepth) / (uFogRange.y - uFogRange.x), 0.0, 1.0);
  c.rgb = mix(uFogColor, c.rgb, f);
#endif
  fragColor = c;
}
)";

D3DXMATRIX LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& at, const D3DXVECTOR3& up) {
  D3DXMATRIX m;
  D3DXMatrixLookAtLH(&m, &eye, &at, &up);
  return m;
}

D3DXMATRIX Perspective(float aspect, float zn, float zf) {
  D3DXMATRIX m;
  D3DXMatrixPerspectiveFovLH(&m, 0.7853982f, aspect, zn, zf);
  return m;
}

constexpr float kAspect = static_cast<float>(kBenchWidth) / kBenchHeight;

struct Light {
  bool point = false;
  D3DXVECTOR3 vector;  // world direction (directional) or position (point)
  float range = 1000.0f;
  D3DXVECTOR3 diffuse{1, 1, 1}, specular{1, 1, 1}, ambient{1, 1, 1};
};

struct Material {
  D3DXVECTOR4 diffuse{1, 1, 1, 1};
  D3DXVECTOR3 ambient, specular, emissive;
  float power = 0.0f;
};

// The program, the picture, a vertex array and the uniforms every one of the four sets.
class RawLitFrame : public RawEffectFrame {
 public:
  // `features`: the #define lines of the switches the frame uses.
  explicit RawLitFrame(const char* features) {
    const std::string head = std::string("#version 330 core\n") + features;
    const std::string vertex = head + kLitVertex + kClipFromD3D;
    const std::string fragment = head + kLitFragment;
    m_program = RawGlContext::Program(vertex.c_str(), fragment.c_str());
    glUseProgram(m_program);
    for (auto& u : m_uniforms) u.second = glGetUniformLocation(m_program, u.first);
    m_texture = PictureTexture();
    glGenVertexArrays(1, &m_vao);
    glBindVertexArray(m_vao);
    glGenBuffers(2, m_buffers);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CCW);  // D3D's clockwise front faces, with clip y negated
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  ~RawLitFrame() override {
    glDeleteBuffers(2, m_buffers);
    glDeleteVertexArrays(1, &m_vao);
    glDeleteTextures(1, &m_texture);
    glDeleteProgram(m_program);
  }

 protected:
  GLint U(const char* name) const {
    for (const auto& u : m_uniforms)
      if (std::strcmp(u.first, name) == 0) return u.second;
    return -1;
  }

  // Stream 0 with FVF 152 (position, normal, colour, uv) or 112 (position, normal, uv).
  void Layout(bool colour) {
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
    FvfAttributes(colour ? effects::VertexNormalColorTex::kFvf : effects::VertexNormalTex::kFvf);
  }

  void Transforms(const D3DXMATRIX& world, const D3DXMATRIX& view, const D3DXMATRIX& projection) {
    const D3DXMATRIX worldView = world * view;
    D3DXMATRIX inverse, normal;
    D3DXMatrixInverse(&inverse, nullptr, &worldView);
    D3DXMatrixTranspose(&normal, &inverse);
    const float n3[9] = {normal._11, normal._12, normal._13, normal._21, normal._22,
                         normal._23, normal._31, normal._32, normal._33};
    SetMatrix(U("uWorldView"), worldView);
    SetMatrix(U("uProjection"), projection);
    glUniformMatrix3fv(U("uNormalMatrix"), 1, GL_FALSE, n3);
    m_view = view;
  }

  void SetLight(const Light& light) {
    D3DXVECTOR3 v;
    if (light.point) {
      D3DXVec3TransformCoord(&v, &light.vector, &m_view);
    } else {
      D3DXVec3TransformNormal(&v, &light.vector, &m_view);
      D3DXVec3Normalize(&v, &v);
      v = -v;
    }
    glUniform3fv(U("uLight"), 1, &v.x);
    glUniform1f(U("uLightRange"), light.range);
    glUniform3fv(U("uLightDiffuse"), 1, &light.diffuse.x);
    glUniform3fv(U("uLightSpecular"), 1, &light.specular.x);
    glUniform3fv(U("uLightAmbient"), 1, &light.ambient.x);
  }

  void SetMaterial(const Material& m) {
    glUniform4fv(U("uMatDiffuse"), 1, &m.diffuse.x);
    glUniform3fv(U("uMatAmbient"), 1, &m.ambient.x);
    glUniform3fv(U("uMatSpecular"), 1, &m.specular.x);
    glUniform3fv(U("uMatEmissive"), 1, &m.emissive.x);
    glUniform1f(U("uPower"), m.power);
  }

  // D3D's default magnification is point; the effects that want smooth set linear.
  void Sampling(GLint magnification) {
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magnification);
  }

  void Switches(float globalAmbient, bool textured) {
    glUniform3f(U("uGlobalAmbient"), globalAmbient, globalAmbient, globalAmbient);
    glUniform1i(U("uTextured"), textured);
  }

  GLuint m_buffers[2] = {0, 0};

 private:
  GLuint m_program = 0, m_texture = 0, m_vao = 0;
  D3DXMATRIX m_view;
  std::pair<const char*, GLint> m_uniforms[18] = {
      {"uWorldView", -1},  {"uProjection", -1},    {"uNormalMatrix", -1},  {"uLight", -1},
      {"uLightRange", -1}, {"uLightDiffuse", -1},  {"uLightSpecular", -1}, {"uLightAmbient", -1},
      {"uMatDiffuse", -1}, {"uMatAmbient", -1},    {"uMatSpecular", -1},   {"uMatEmissive", -1},
      {"uPower", -1},      {"uGlobalAmbient", -1}, {"uTextured", -1},      {"uFogColor", -1},
      {"uFogRange", -1},   {"uTexture", -1}};
};

class RawMetaballs : public RawLitFrame {
 public:
  RawMetaballs() : RawLitFrame("#define NORMALIZE 1\n#define SPECULAR_ADD 1\n") {
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, effects::MetaballSurface::kMaxTriangles * 96, nullptr,
                 GL_STREAM_DRAW);
  }

 private:
  void Draw(float t) override {
    D3DXVECTOR3 centres[4];
    effects::MetaballCentres(t, centres);
    surface_.Build(centres, D3DXVECTOR2(0, 0));
    const GLsizeiptr bytes = surface_.TriangleCount() * 96;
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, effects::MetaballSurface::kMaxTriangles * 96, nullptr,
                 GL_STREAM_DRAW);  // orphaned, as a DISCARD lock
    glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, surface_.Vertices());

    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    Sampling(GL_LINEAR);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    Transforms(world, LookAt(kMetaballsEye, {0, 0, 0}, {0, 1, 1}), Perspective(1.3333334f, 1, 200));
    Light light;
    light.vector = D3DXVECTOR3(0.5f, 0.0f, -0.5f);
    SetLight(light);
    Material m;
    m.ambient = D3DXVECTOR3(0.2f, 0.2f, 0.2f);
    m.specular = D3DXVECTOR3(1, 1, 1);
    m.power = 20.0f;
    SetMaterial(m);
    Switches(1.0f, true);
    Layout(false);
    glDrawArrays(GL_TRIANGLES, 0, surface_.TriangleCount() * 3);
  }

  effects::MetaballSurface surface_;
};

class RawSplineTunnel : public RawLitFrame {
 public:
  RawSplineTunnel()
      : RawLitFrame("#define POINT_LIGHT 1\n#define VERTEX_COLOR 1\n#define FOG 1\n") {
    effects::SplineTubeSettings s;
    s.shape = TunnelOutline();
    tube_ = effects::BuildSplineTube(s);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, tube_.vertices.size() * 36, tube_.vertices.data(),
                 GL_STATIC_DRAW);
  }

 private:
  void Draw(float t) override {
    const float x = t * 0.001f;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glEnable(GL_BLEND);
    Sampling(GL_LINEAR);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    Transforms(world, LookAt(tube_.path.Position(x), tube_.path.Position(x + 0.6f), {0, 1, 1}),
               Perspective(kAspect, 1, 1000));
    Light light;
    light.point = true;
    light.vector = tube_.path.Position(x + 0.5f);
    SetLight(light);
    Material m;
    m.diffuse = D3DXVECTOR4(0.3f, 0.3f, 0.3f, 0.3f);
    m.specular = D3DXVECTOR3(1, 1, 1);
    m.power = 20.0f;
    SetMaterial(m);
    Switches(0x22 / 255.0f, true);
    glUniform3f(U("uFogColor"), 0x10 / 255.0f, 0x20 / 255.0f, 0x30 / 255.0f);
    glUniform2f(U("uFogRange"), 5.0f, 60.0f);
    Layout(true);
    const int strips = tube_.rows - 1;
    const double passed = std::floor(t / (tube_.ringPeriod * 1000.0));
    const int first = passed > 0 ? static_cast<int>(std::min<double>(passed, strips)) : 0;
    for (int r = first; r < strips; ++r) {
      glDrawArrays(GL_TRIANGLE_STRIP, r * tube_.StripVertices(), tube_.StripVertices());
    }
  }

  effects::SplineTube tube_;
};

class RawTrailTube : public RawLitFrame {
 public:
  RawTrailTube()
      : RawLitFrame("#define VERTEX_COLOR 1\n#define SPECULAR_ADD 1\n"),
        emitter_(effects::TrailSettings()) {
    emitter_.Build(&vertices_, &triangles_);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, vertices_.size() * 36, vertices_.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, triangles_.size() * 2, triangles_.data(), GL_STATIC_DRAW);
  }

 private:
  void Draw(float t) override {
    emitter_.SetDirection(D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 1, 0));
    emitter_.SetPosition(D3DXVECTOR3(0, 0, 0));
    emitter_.Update(t);
    emitter_.Build(&vertices_, &triangles_);
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
    glBufferSubData(GL_ARRAY_BUFFER, 0, vertices_.size() * 36, vertices_.data());

    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    Sampling(GL_LINEAR);
    D3DXMATRIX world;
    D3DXMatrixIdentity(&world);
    Transforms(world, LookAt({0, 2, -8}, {0, 0, 0}, {0, 1, 0}), Perspective(kAspect, 0.1f, 100));
    Light light;
    light.vector = D3DXVECTOR3(0, -10, 10);
    SetLight(light);
    Material m;
    m.diffuse = D3DXVECTOR4(0.93f, 0.71f, 0.59f, 1.0f);
    m.ambient = D3DXVECTOR3(0.62f, 0.355f, 0.295f);
    m.specular = D3DXVECTOR3(0.93f, 0.71f, 0.59f);
    m.power = 0.3f;
    SetMaterial(m);
    Switches(0.0f, true);
    Layout(true);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_buffers[1]);
    glDrawArrays(GL_POINTS, 0, emitter_.VertexCount());
    glDrawElements(GL_TRIANGLES, emitter_.TriangleCount() * 3, GL_UNSIGNED_SHORT, nullptr);
  }

  effects::TrailEmitter emitter_;
  std::vector<effects::VertexNormalColorTex> vertices_;
  std::vector<uint16_t> triangles_;
};

class RawMeshViewer : public RawLitFrame {
 public:
  RawMeshViewer() : RawLitFrame("#define SPECULAR_ADD 1\n") {
    if (!Load()) return;
    glBindBuffer(GL_ARRAY_BUFFER, m_buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, vertices_.size(), vertices_.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices_.size() * 2, indices_.data(), GL_STATIC_DRAW);
  }

 private:
  // The mesh as the klutt resource reads it: D3DX on a null device, its buffers copied out.
  bool Load() {
    IDirect3D9* d3d = VexilCreateNullDirect3D9();
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 16;
    pp.BackBufferHeight = 16;
    pp.Windowed = TRUE;
    IDirect3DDevice9* device = nullptr;
    ID3DXMesh* mesh = nullptr;
    ID3DXBuffer* materials = nullptr;
    DWORD count = 0;
    bool loaded = d3d &&
                  SUCCEEDED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &device)) &&
                  SUCCEEDED(D3DXLoadMeshFromXA(BenchCubePath().c_str(), D3DXMESH_SYSTEMMEM, device,
                                               nullptr, &materials, nullptr, &count, &mesh));
    if (loaded && mesh->GetFVF() == (D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1)) {
      void* data = nullptr;
      mesh->LockVertexBuffer(D3DLOCK_READONLY, &data);
      const auto* bytes = static_cast<const uint8_t*>(data);
      vertices_.assign(bytes, bytes + mesh->GetNumVertices() * 32);
      D3DXComputeBoundingBox(static_cast<const D3DXVECTOR3*>(data), mesh->GetNumVertices(), 32,
                             &boxMin_, &boxMax_);
      mesh->UnlockVertexBuffer();
      mesh->LockIndexBuffer(D3DLOCK_READONLY, &data);
      const auto* indices = static_cast<const uint16_t*>(data);
      indices_.assign(indices, indices + mesh->GetNumFaces() * 3);
      mesh->UnlockIndexBuffer();
      DWORD ranges = 0;
      mesh->GetAttributeTable(nullptr, &ranges);
      table_.resize(ranges);
      mesh->GetAttributeTable(table_.data(), &ranges);
      const auto* m = static_cast<const D3DXMATERIAL*>(materials->GetBufferPointer());
      for (DWORD i = 0; i < count; ++i) {
        const D3DMATERIAL9& d = m[i].MatD3D;
        Material out;
        out.diffuse = D3DXVECTOR4(d.Diffuse.r, d.Diffuse.g, d.Diffuse.b, d.Diffuse.a);
        out.ambient = D3DXVECTOR3(d.Diffuse.r, d.Diffuse.g, d.Diffuse.b);
        out.specular = D3DXVECTOR3(d.Specular.r, d.Specular.g, d.Specular.b);
        out.emissive = D3DXVECTOR3(d.Emissive.r, d.Emissive.g, d.Emissive.b);
        out.power = d.Power;
        materials_.push_back(out);
        textured_.push_back(m[i].pTextureFilename != nullptr);
      }
    } else {
      loaded = false;
    }
    for (IUnknown* p : {static_cast<IUnknown*>(mesh), static_cast<IUnknown*>(materials),
                        static_cast<IUnknown*>(device), static_cast<IUnknown*>(d3d)})
      if (p) p->Release();
    return loaded;
  }

  void Draw(float) override {
    if (materials_.empty()) return;
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    effects::MeshPlacement placement;
    placement.pitch = kMeshPitch;
    placement.yaw = kMeshYaw;
    Transforms(effects::MeshWorldMatrix(effects::MeshSizeFactor(boxMin_, boxMax_), placement),
               LookAt({0, 0, -100}, {0, 0, 0}, {0, 1, 0}), Perspective(kAspect, 1, 1000));
    Sampling(GL_NEAREST);
    Light light;
    light.vector = D3DXVECTOR3(0, 0, -1);
    light.diffuse = D3DXVECTOR3(255 / 256.0f, 255 / 256.0f, 255 / 256.0f);
    light.specular = light.ambient = D3DXVECTOR3(0, 0, 0);
    light.range = 10000.0f;
    SetLight(light);
    Layout(false);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_buffers[1]);
    for (size_t i = 0; i < materials_.size(); ++i) {
      SetMaterial(materials_[i]);
      Switches(0x20 / 255.0f, textured_[i]);
      for (const D3DXATTRIBUTERANGE& range : table_) {
        if (range.AttribId != i || range.FaceCount == 0) continue;
        glDrawElements(GL_TRIANGLES, range.FaceCount * 3, GL_UNSIGNED_SHORT,
                       reinterpret_cast<void*>(static_cast<size_t>(range.FaceStart) * 6));
      }
    }
  }

  std::vector<uint8_t> vertices_;
  std::vector<uint16_t> indices_;
  std::vector<D3DXATTRIBUTERANGE> table_;
  std::vector<Material> materials_;
  std::vector<bool> textured_;
  D3DXVECTOR3 boxMin_, boxMax_;
};

}  // namespace

std::unique_ptr<RawEffectFrame> MakeRawMetaballs() {
  return std::make_unique<RawMetaballs>();
}
std::unique_ptr<RawEffectFrame> MakeRawSplineTunnel() {
  return std::make_unique<RawSplineTunnel>();
}
std::unique_ptr<RawEffectFrame> MakeRawTrailTube() {
  return std::make_unique<RawTrailTube>();
}
std::unique_ptr<RawEffectFrame> MakeRawMeshViewer() {
  return std::make_unique<RawMeshViewer>();
}

}  // namespace vexil_bench

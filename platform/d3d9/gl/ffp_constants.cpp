// Computes the shared uniform blocks: World x View, the normal matrix (inverse transpose of
// its 3x3), lights moved into view space, colours unpacked from D3DCOLOR.
#include "d3d9/gl/ffp_constants.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vexil::d3d9 {

const char* const kFfpVertexBlocksGlsl = R"(layout(std140) uniform FfpTransforms {
  mat4 uWorldView;
  mat4 uProjection;
  mat4 uNormalMatrix;
};
layout(std140) uniform FfpVertexConstants {
  vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;
  vec4 uGlobalAmbient;
  vec4 uFogParams;
  vec4 uMisc;
  vec4 uMisc2;
  vec4 uViewport;
  vec4 uPixelOffset;
  vec4 uLightDiffuse[8];
  vec4 uLightSpecular[8];
  vec4 uLightAmbient[8];
  vec4 uLightPosition[8];
  vec4 uLightDirection[8];
  vec4 uLightAttenuation[8];
  vec4 uLightSpot[8];
};
)";

const char* const kFfpPixelBlockGlsl = R"(layout(std140) uniform FfpPixelConstants {
  vec4 uFogColor;
  vec4 uPixelFogParams;
  vec4 uAlphaRef;
  vec4 uTextureFactor;
  vec4 uStageConstant[8];
};
)";

namespace {

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* r) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r->m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                   a.m[i][3] * b.m[3][j];
    }
  }
}

void Color(D3DCOLOR c, float* out) {
  out[0] = ((c >> 16) & 0xff) / 255.0f;
  out[1] = ((c >> 8) & 0xff) / 255.0f;
  out[2] = (c & 0xff) / 255.0f;
  out[3] = ((c >> 24) & 0xff) / 255.0f;
}

void Copy(const D3DCOLORVALUE& c, float* out) {
  out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = c.a;
}

// Row-vector transform of a point / direction by a D3D matrix.
void TransformPoint(const D3DVECTOR& v, const D3DMATRIX& m, float* out) {
  for (int j = 0; j < 3; ++j)
    out[j] = v.x * m.m[0][j] + v.y * m.m[1][j] + v.z * m.m[2][j] + m.m[3][j];
}
void TransformDirection(const D3DVECTOR& v, const D3DMATRIX& m, float* out) {
  for (int j = 0; j < 3; ++j) out[j] = v.x * m.m[0][j] + v.y * m.m[1][j] + v.z * m.m[2][j];
}

void Normalize3(float* v) {
  const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (len > 0.0f) v[0] /= len, v[1] /= len, v[2] /= len;
}

// Inverse transpose of the upper 3x3, stored as a D3D row-vector matrix so n * N applies it.
void NormalMatrix(const D3DMATRIX& m, float* out) {
  const float a = m._11, b = m._12, c = m._13;
  const float d = m._21, e = m._22, f = m._23;
  const float g = m._31, h = m._32, i = m._33;
  const float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
  const float D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
  const float G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
  const float det = a * A + b * B + c * C;
  const float s = det != 0.0f ? 1.0f / det : 0.0f;
  // inverse = adjugate^T / det; its transpose is the cofactor matrix / det.
  const float r[16] = {A * s, B * s, C * s, 0, D * s, E * s, F * s, 0,
                       G * s, H * s, I * s, 0, 0,     0,     0,     1};
  std::memcpy(out, r, sizeof r);
}

}  // namespace

void FillFfpTransforms(const StateMirror& s, FfpTransforms* out) {
  D3DMATRIX worldView;
  Multiply(s.transform[kSlotWorld], s.transform[kSlotView], &worldView);
  std::memcpy(out->worldView, &worldView, 64);
  std::memcpy(out->projection, &s.transform[kSlotProjection], 64);
  NormalMatrix(worldView, out->normalMatrix);
}

namespace {

void FogParams(const StateMirror& s, float* out) {
  const float start = s.RenderFloat(D3DRS_FOGSTART), end = s.RenderFloat(D3DRS_FOGEND);
  out[0] = start;
  out[1] = end;
  out[2] = end != start ? 1.0f / (end - start) : 0.0f;
  out[3] = s.RenderFloat(D3DRS_FOGDENSITY);
}

}  // namespace

void FillFfpVertexConstants(const StateMirror& s, const DWORD* activeLights, int lightCount,
                            FfpVertexConstants* out) {
  std::memset(out, 0, sizeof(*out));
  Copy(s.material.Diffuse, out->matDiffuse);
  Copy(s.material.Ambient, out->matAmbient);
  Copy(s.material.Specular, out->matSpecular);
  Copy(s.material.Emissive, out->matEmissive);
  Color(s.render[D3DRS_AMBIENT], out->globalAmbient);
  FogParams(s, out->fogParams);
  out->misc[0] = s.material.Power;
  out->misc[1] = s.render[D3DRS_SPECULARENABLE] ? 1.0f : 0.0f;
  out->misc[2] = s.RenderFloat(D3DRS_POINTSIZE);
  out->misc[3] = s.RenderFloat(D3DRS_POINTSIZE_MIN);
  out->misc2[0] = s.RenderFloat(D3DRS_POINTSIZE_MAX);
  out->misc2[1] = s.RenderFloat(D3DRS_POINTSCALE_A);
  out->misc2[2] = s.RenderFloat(D3DRS_POINTSCALE_B);
  out->misc2[3] = s.RenderFloat(D3DRS_POINTSCALE_C);
  const D3DVIEWPORT9& vp = s.viewport;
  out->viewport[0] = static_cast<float>(vp.X);
  out->viewport[1] = static_cast<float>(vp.Y);
  out->viewport[2] = static_cast<float>(std::max<DWORD>(vp.Width, 1));
  out->viewport[3] = static_cast<float>(std::max<DWORD>(vp.Height, 1));
  // D3D9 puts pixel centres on integer coordinates, GL half a pixel further: shift the
  // picture by just under half a pixel right and (in our flipped targets) down.
  const float c = 63.0f / 64.0f;
  out->pixelOffset[0] = c / out->viewport[2];
  out->pixelOffset[1] = c / out->viewport[3];

  const D3DMATRIX& view = s.transform[kSlotView];
  for (int i = 0; i < lightCount; ++i) {
    const D3DLIGHT9& l = s.lights[activeLights[i]].light;
    Copy(l.Diffuse, out->lightDiffuse[i]);
    Copy(l.Specular, out->lightSpecular[i]);
    Copy(l.Ambient, out->lightAmbient[i]);
    TransformPoint(l.Position, view, out->lightPosition[i]);
    out->lightPosition[i][3] = l.Range;
    TransformDirection(l.Direction, view, out->lightDirection[i]);
    Normalize3(out->lightDirection[i]);
    for (int k = 0; k < 3; ++k) out->lightDirection[i][k] = -out->lightDirection[i][k];
    out->lightAttenuation[i][0] = l.Attenuation0;
    out->lightAttenuation[i][1] = l.Attenuation1;
    out->lightAttenuation[i][2] = l.Attenuation2;
    out->lightAttenuation[i][3] = l.Falloff;
    out->lightSpot[i][0] = std::cos(l.Theta * 0.5f);
    out->lightSpot[i][1] = std::cos(l.Phi * 0.5f);
  }
}

void FillFfpPixelConstants(const StateMirror& s, FfpPixelConstants* out) {
  std::memset(out, 0, sizeof(*out));
  Color(s.render[D3DRS_FOGCOLOR], out->fogColor);
  FogParams(s, out->fogParams);
  out->alphaRef[0] = static_cast<float>(s.render[D3DRS_ALPHAREF] & 0xff);
  Color(s.render[D3DRS_TEXTUREFACTOR], out->textureFactor);
  for (DWORD i = 0; i < kStageCount; ++i) Color(s.stage[i][D3DTSS_CONSTANT], out->stageConstant[i]);
}

}  // namespace vexil::d3d9

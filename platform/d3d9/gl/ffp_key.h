// The packed description of the fixed-function state that changes the generated GLSL:
// vertex layout, lighting set-up, fog, alpha test and the texture stage cascade. Zero-filled
// and normalised (unused stages cleared) so equal pipelines give equal keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "d3d9/state_mirror.h"
#include "d3d9/vertex_layout.h"

namespace vexil::d3d9 {

enum class MaterialSource : uint8_t { kMaterial = 0, kDiffuse = 1, kSpecular = 2 };

enum class FogKind : uint8_t {
  kNone = 0,
  kTable,        // per pixel, from eye depth or device z
  kVertex,       // per vertex, from eye depth
  kVertexAlpha,  // fog enabled with no fog mode: the vertex specular alpha is the factor
};

struct FfpStageKey {
  uint8_t colorOp, colorArg0, colorArg1, colorArg2;
  uint8_t alphaOp, alphaArg0, alphaArg1, alphaArg2;
  uint8_t resultArg;
  uint8_t texCoordSet;  // which vertex set feeds the stage
  uint8_t texCoordGen;  // D3DTSS_TCI_* >> 16
  uint8_t textureBound;
};

struct FfpKey {
  // Vertex layout.
  uint8_t pretransformed, hasNormal, hasDiffuse, hasSpecular, hasPointSize;
  uint8_t texCoordCount;
  uint8_t texCoordSize[8];
  // Lighting.
  // specular: the lights' specular term is computed (lit, and something reads it).
  uint8_t lighting, lightCount, normalizeNormals, localViewer, specular;
  uint8_t lightType[kMaxActiveLights];
  MaterialSource diffuseSource, ambientSource, specularSource, emissiveSource;
  // Rasterisation and pixel stages.
  uint8_t flatShading;
  FogKind fog;
  uint8_t fogMode;         // D3DFOG_LINEAR / EXP / EXP2
  uint8_t fogFromDeviceZ;  // affine projection: distance is z in [0, 1]
  uint8_t rangeFog;
  uint8_t alphaFunc;  // 0 = alpha test off
  // The specular colour may reach a pixel: a stage reads it, or there is one to add.
  // D3DRS_SPECULARENABLE itself is a uniform, not part of the key: demos switch it per object,
  // and a program switch costs far more than a uniform.
  uint8_t specularUsed;
  uint8_t specularToStages;  // a stage argument reads the specular colour
  // Drawing points (a point list, or polygons filled as points): only then does the vertex
  // program write a point size, and only then do sprites and scaling matter.
  uint8_t points, pointSprite, pointScale;
  uint8_t stageCount;
  FfpStageKey stages[kStageCount];

  bool operator==(const FfpKey& o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
};

// The parts of a key each generated shader reads, the rest zeroed: programs are cached by the
// full key and shaders by these, so a state that changes one shader's source (fog, alpha test,
// the stage operations, lighting) compiles only that shader.
FfpKey VertexShaderKey(const FfpKey& key);
FfpKey FragmentShaderKey(const FfpKey& key);

// Builds the key for the current state. texturesBound has bit i set when stage i has a
// texture; points tells whether the draw rasterises points. activeLights receives the
// indices of the lights in use, in order.
void BuildFfpKey(const StateMirror& state, const VertexLayout& layout, uint32_t texturesBound,
                 bool points, FfpKey* key, DWORD* activeLights);

// True when the projection has no perspective divide (an orthographic D3DX matrix).
bool IsAffineProjection(const D3DMATRIX& m);

}  // namespace vexil::d3d9

// The uniform block every generated program shares (std140, all vec4/mat4 so the C++
// layout matches): transforms, material, lights in view space, fog, alpha reference,
// point size, viewport and texture factor. One buffer, updated only when its inputs change.
#pragma once

#include "d3d9/state_mirror.h"

namespace vexil::d3d9 {

struct FfpConstants {
  float worldView[16];
  float projection[16];
  float normalMatrix[16];
  float matDiffuse[4], matAmbient[4], matSpecular[4], matEmissive[4];
  float globalAmbient[4];
  float fogColor[4];
  float fogParams[4];    // start, end, 1 / (end - start), density
  float misc[4];         // specular power, alpha reference 0..255, point size, min point size
  float misc2[4];        // max point size, point scale A, B, C
  float viewport[4];     // x, y, width, height in pixels
  float pixelOffset[4];  // clip-space shift that puts pixel centres where D3D9 has them
  float textureFactor[4];
  float stageConstant[kStageCount][4];
  float lightDiffuse[kMaxActiveLights][4];
  float lightSpecular[kMaxActiveLights][4];
  float lightAmbient[kMaxActiveLights][4];
  float lightPosition[kMaxActiveLights][4];     // view space xyz, range w
  float lightDirection[kMaxActiveLights][4];    // view space, pointing towards the light
  float lightAttenuation[kMaxActiveLights][4];  // att0, att1, att2, falloff
  float lightSpot[kMaxActiveLights][4];         // cos(theta / 2), cos(phi / 2)
};

// Fills the block from the mirror; activeLights lists lightCount enabled light indices.
void FillFfpConstants(const StateMirror& state, const DWORD* activeLights, int lightCount,
                      FfpConstants* out);

// The GLSL declaration of the same block.
extern const char* const kFfpConstantsGlsl;

}  // namespace vexil::d3d9

// The uniform blocks the generated programs share (std140, all vec4/mat4 so the C++ layouts
// match), split by stage and by how often they change: the transforms (every object moves),
// the rest of the vertex stage's inputs (material, lights in view space, point sizes,
// viewport) and the pixel stage's (fog, alpha reference, texture factor). A block is sent
// again only when its contents change, and a change of one leaves the others' stages alone.
#pragma once

#include "d3d9/state_mirror.h"

namespace vexil::d3d9 {

// Binding points of the three blocks.
enum FfpBlock : unsigned { kFfpTransformsBlock = 0, kFfpVertexBlock = 1, kFfpPixelBlock = 2 };

struct FfpTransforms {
  float worldView[16];
  float projection[16];
  float normalMatrix[16];
};

struct FfpVertexConstants {
  float matDiffuse[4], matAmbient[4], matSpecular[4], matEmissive[4];
  float globalAmbient[4];
  float fogParams[4];    // start, end, 1 / (end - start), density
  float misc[4];         // specular power, specular added (1) or not (0), point size, min size
  float misc2[4];        // max point size, point scale A, B, C
  float viewport[4];     // x, y, width, height in pixels
  float pixelOffset[4];  // clip-space shift that puts pixel centres where D3D9 has them
  float lightDiffuse[kMaxActiveLights][4];
  float lightSpecular[kMaxActiveLights][4];
  float lightAmbient[kMaxActiveLights][4];
  float lightPosition[kMaxActiveLights][4];     // view space xyz, range w
  float lightDirection[kMaxActiveLights][4];    // view space, pointing towards the light
  float lightAttenuation[kMaxActiveLights][4];  // att0, att1, att2, falloff
  float lightSpot[kMaxActiveLights][4];         // cos(theta / 2), cos(phi / 2)
};

struct FfpPixelConstants {
  float fogColor[4];
  float fogParams[4];  // start, end, 1 / (end - start), density
  float alphaRef[4];   // reference 0..255 in x
  float textureFactor[4];
  float stageConstant[kStageCount][4];
};

// Fill the blocks from the mirror; activeLights lists lightCount enabled light indices.
void FillFfpTransforms(const StateMirror& state, FfpTransforms* out);
void FillFfpVertexConstants(const StateMirror& state, const DWORD* activeLights, int lightCount,
                            FfpVertexConstants* out);
void FillFfpPixelConstants(const StateMirror& state, FfpPixelConstants* out);

// The GLSL declarations of the same blocks: the vertex program declares the first two, the
// pixel program the third.
extern const char* const kFfpVertexBlocksGlsl;
extern const char* const kFfpPixelBlockGlsl;

}  // namespace vexil::d3d9

// Generates the GLSL 3.30 vertex and fragment shaders that emulate D3D9's fixed-function
// pipeline for one FfpKey.
#pragma once

#include <string>

#include "d3d9/gl/ffp_key.h"

namespace vexil::d3d9 {

// Attribute locations the vertex input setup and the programs agree on.
enum AttributeLocation : int {
  kAttrPosition = 0,
  kAttrNormal = 1,
  kAttrDiffuse = 2,
  kAttrSpecular = 3,
  kAttrPointSize = 4,
  kAttrTexCoord0 = 5,  // .. 12
};

std::string GenerateVertexShader(const FfpKey& key);
std::string GenerateFragmentShader(const FfpKey& key);

}  // namespace vexil::d3d9

// "twister": a lit, textured tube swept from a 2D outline along a straight axis, each ring
// twisted about the vertical axis; rebuilt every frame so that everything can be keyframed.
#pragma once

#include "scenecore.h"

namespace effects {

class CTwisterModule : public CModule {
 public:
  CTwisterModule();

 private:
  CValueVarFloat m_startTwist;
  CValueVarFloat m_endTwist;
  CValueVarFloat m_middleTwist;    // accepted from scripts, no effect on the picture
  CValueVarFloat m_startEndTwist;  // accepted from scripts, no effect on the picture
  CValueFloat m_texHeightTiling;
  CValueFloat m_texWidthTiling;
  CValueLong m_segment;
  CValueArrayVec2 m_shape;
  CValueArrayVec3 m_body;
  CValueString m_texture;
  CValueVarVec3 m_eyePoint;
  CValueVarVec3 m_lookAtPoint;
  CValueVec2 m_centrum;
  CValueVarFloat m_offset;
  CValueVarFloat m_thickness;
  CValueLong m_mapping;
  CValueLong m_specular;
  CValueVarVec3 m_lightDirection;
};

}  // namespace effects

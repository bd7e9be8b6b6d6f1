// "kluttviewer": draws a mesh of a "klutt" resource with its own materials and textures under
// one directional light, placed every frame by keyframed pivot, scale, turn and position.
#pragma once

#include "scenecore.h"

namespace effects {

class CKluttViewerModule : public CModule {
 public:
  CKluttViewerModule();

 private:
  CValueString m_mesh;
  CValueLong m_shading;
  CValueLong m_mapping;
  CValueLong m_fillMode;
  CValueLong m_culling;
  CValueLong m_light;
  CValueLong m_clearZBuffer;
  CValueVarColor m_lightColor;
  CValueLong m_useTexture;
  CValueVarFloat m_xRotation, m_yRotation, m_zRotation;
  CValueVarFloat m_xScale, m_yScale, m_zScale;
  CValueVarFloat m_scale;
  CValueVarFloat m_xStretch, m_yStretch, m_zStretch;
  CValueVarFloat m_stretch;
  CValueVarFloat m_x, m_y, m_z;
  CValueVarFloat m_xPivot, m_yPivot, m_zPivot;
};

}  // namespace effects

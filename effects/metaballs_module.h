// "metaballs": a lit, textured blob surface of four moving point sources, extracted every
// frame with marching cubes on a 16 x 16 x 16 grid.
#pragma once

#include "scenecore.h"

namespace effects {

class CMetaballsModule : public CModule {
 public:
  CMetaballsModule();

 private:
  CValueString m_texture;
  CValueLong m_specular;
  CValueVarVec3 m_eyePoint;
  CValueVarVec3 m_lookAtPoint;
  CValueVarVec3 m_lightDirection;
  CValueVarVec2 m_texOffset;
};

}  // namespace effects

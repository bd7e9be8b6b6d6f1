// "blur": a zoom blur of a texture (usually a render target) over the whole screen, drawn as
// many magnified, fading, additive passes toward a centre point.
#pragma once

#include "scenecore.h"

namespace effects {

class CBlurModule : public CModule {
 public:
  CBlurModule();

 private:
  CValueString m_texture;
  CValueVarFloat m_size;
  CValueVarFloat m_startAlpha;
  CValueVarFloat m_light;
  CValueVarLong m_times;
  CValueVarFloat m_xOffset;
  CValueVarFloat m_yOffset;
};

}  // namespace effects

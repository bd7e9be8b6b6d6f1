// "texscreen": a texture on a flat or bowl-shaped grid seen in perspective, with a selectable
// part of the texture, a turn about the view axis and an overall opacity.
#pragma once

#include "scenecore.h"

namespace effects {

class CTexScreenModule : public CModule {
 public:
  CTexScreenModule();

 private:
  CValueLong m_xNum;
  CValueLong m_yNum;
  CValueVarFloat m_z;
  CValueVarFloat m_xSegSize;
  CValueVarFloat m_ySegSize;
  CValueVarFloat m_uStart;
  CValueVarFloat m_vStart;
  CValueVarFloat m_uEnd;
  CValueVarFloat m_vEnd;
  CValueVarFloat m_bendFactor;
  CValueVarFloat m_zRot;
  CValueVarFloat m_alpha;
  CValueString m_texture;
};

}  // namespace effects

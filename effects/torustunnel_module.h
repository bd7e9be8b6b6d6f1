// "torustunnel": the inside of a textured torus built once; the camera sits inside the tube
// and the torus rolls about its own axis, so the wall streams past.
#pragma once

#include "scenecore.h"

namespace effects {

class CTorusTunnelModule : public CModule {
 public:
  CTorusTunnelModule();

 private:
  CValueVarFloat m_camXPos;
  CValueVarFloat m_camYPos;
  CValueVarFloat m_camZPos;
  CValueVarFloat m_lookAtXPos;
  CValueVarFloat m_lookAtYPos;
  CValueVarFloat m_lookAtZPos;
  CValueVarFloat m_camUpX;
  CValueVarFloat m_camUpY;
  CValueVarFloat m_camUpZ;
  CValueVarFloat m_projNearClip;
  CValueVarFloat m_projFarClip;
  CValueVarFloat m_torusXPos;
  CValueVarFloat m_torusZPos;
  CValueVarFloat m_torusXAngle;
  CValueVarFloat m_torusYAngle;
  CValueVarFloat m_torusZAngle;
  CValueVarFloat m_inRadius;
  CValueVarLong m_inSegments;
  CValueVarFloat m_outRadius;
  CValueVarLong m_outSegments;
  CValueString m_texture;
};

}  // namespace effects

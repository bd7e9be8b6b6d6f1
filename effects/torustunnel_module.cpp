// "torustunnel" module: its settings. The torus builder and drawing join here.
#include "torustunnel_module.h"

namespace effects {

CTorusTunnelModule::CTorusTunnelModule()
    : CModule(0.0f, 0.0f, 0),
      m_camXPos(0.0f),
      m_camYPos(0.0f),
      m_camZPos(-0.1f),
      m_lookAtXPos(0.0f),
      m_lookAtYPos(0.0f),
      m_lookAtZPos(5.0f),
      m_camUpX(0.0f),
      m_camUpY(1.0f),
      m_camUpZ(0.0f),
      m_projNearClip(0.1f),
      m_projFarClip(100.0f),
      m_torusXPos(0.0f),
      m_torusZPos(0.0f),
      m_torusXAngle(0.0f),
      m_torusYAngle(0.0f),
      m_torusZAngle(0.0f),
      m_inRadius(0.1f),
      m_inSegments(16),
      m_outRadius(1.0f),
      m_outSegments(128),
      m_texture("") {
  Register(this, &m_camXPos, "camxpos");
  Register(this, &m_camYPos, "camypos");
  Register(this, &m_camZPos, "camzpos");
  Register(this, &m_lookAtXPos, "lookatxpos");
  Register(this, &m_lookAtYPos, "lookatypos");
  Register(this, &m_lookAtZPos, "lookatzpos");
  Register(this, &m_camUpX, "camupx");
  Register(this, &m_camUpY, "camupy");
  Register(this, &m_camUpZ, "camupz");
  Register(this, &m_projNearClip, "projnearclip");
  Register(this, &m_projFarClip, "projfarclip");
  Register(this, &m_torusXPos, "torusxpos");
  Register(this, &m_torusZPos, "toruszpos");
  Register(this, &m_torusXAngle, "torusxangle");
  Register(this, &m_torusYAngle, "torusyangle");
  Register(this, &m_torusZAngle, "toruszangle");
  // The ring settings are registered outer first, unlike their declaration order.
  Register(this, &m_outSegments, "outsegments");
  Register(this, &m_outRadius, "outradius");
  Register(this, &m_inSegments, "insegments");
  Register(this, &m_inRadius, "inradius");
  Register(this, &m_texture, "texture");
}

}  // namespace effects

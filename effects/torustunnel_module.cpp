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
  AddValue(&m_camXPos, "camxpos");
  AddValue(&m_camYPos, "camypos");
  AddValue(&m_camZPos, "camzpos");
  AddValue(&m_lookAtXPos, "lookatxpos");
  AddValue(&m_lookAtYPos, "lookatypos");
  AddValue(&m_lookAtZPos, "lookatzpos");
  AddValue(&m_camUpX, "camupx");
  AddValue(&m_camUpY, "camupy");
  AddValue(&m_camUpZ, "camupz");
  AddValue(&m_projNearClip, "projnearclip");
  AddValue(&m_projFarClip, "projfarclip");
  AddValue(&m_torusXPos, "torusxpos");
  AddValue(&m_torusZPos, "toruszpos");
  AddValue(&m_torusXAngle, "torusxangle");
  AddValue(&m_torusYAngle, "torusyangle");
  AddValue(&m_torusZAngle, "toruszangle");
  // The ring settings are registered outer first, unlike their declaration order.
  AddValue(&m_outSegments, "outsegments");
  AddValue(&m_outRadius, "outradius");
  AddValue(&m_inSegments, "insegments");
  AddValue(&m_inRadius, "inradius");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
}

}  // namespace effects

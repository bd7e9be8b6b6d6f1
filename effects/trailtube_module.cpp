// "zuravisnurr" (trail tube) module: its settings. The emitter, rings and drawing join here.
#include "trailtube_module.h"

namespace effects {

CTrailTubeModule::CTrailTubeModule()
    : CModule(0.0f, 0.0f, 0),
      m_speed(0.003f),
      m_startPosX(0.0f),
      m_startPosY(0.0f),
      m_startPosZ(0.0f),
      m_startDirX(0.0f),
      m_startDirY(0.0f),
      m_startDirZ(1.0f),
      m_startUpDirX(0.0f),
      m_startUpDirY(1.0f),
      m_startUpDirZ(0.0f),
      m_gravity(0.1f),
      m_groundPosX(0.0f),
      m_groundPosY(-1.5f),
      m_groundPosZ(0.0f),
      m_groundDirX(0.0f),
      m_groundDirY(0.0f),
      m_groundDirZ(1.0f),
      m_numSegments(30),
      m_segmentTimeInterval(300.0f),
      m_outRadius(0.3f),
      m_inRadius(0.2f),
      m_numEdges(8),
      m_texture(""),
      m_startRotX(0.0f),
      m_startRotY(0.0f),
      m_startRotZ(0.0f),
      m_camPosX(0.0f),
      m_camPosY(2.0f),
      m_camPosZ(-8.0f),
      m_camTargetX(0.0f),
      m_camTargetY(0.0f),
      m_camTargetZ(0.0f),
      m_camUpDirX(0.0f),
      m_camUpDirY(1.0f),
      m_camUpDirZ(0.0f) {
  Register(this, &m_speed, "speed");
  Register(this, &m_startPosX, "startposx");
  Register(this, &m_startPosY, "startposy");
  Register(this, &m_startPosZ, "startposz");
  Register(this, &m_startDirX, "startdirx");
  Register(this, &m_startDirY, "startdiry");
  Register(this, &m_startDirZ, "startdirz");
  Register(this, &m_startUpDirX, "startupdirx");
  Register(this, &m_startUpDirY, "startupdiry");
  Register(this, &m_startUpDirZ, "startupdirz");
  Register(this, &m_gravity, "gravity");
  Register(this, &m_groundPosX, "groundposx");
  Register(this, &m_groundPosY, "groundposy");
  Register(this, &m_groundPosZ, "groundposz");
  Register(this, &m_groundDirX, "grounddirx");
  Register(this, &m_groundDirY, "grounddiry");
  Register(this, &m_groundDirZ, "grounddirz");
  Register(this, &m_numSegments, "numsegments");
  Register(this, &m_segmentTimeInterval, "segmenttimeinterval");
  Register(this, &m_outRadius, "outradius");
  Register(this, &m_inRadius, "inradius");
  Register(this, &m_numEdges, "numedges");
  Register(this, &m_texture, "texture");
  Register(this, &m_startRotX, "startrotx");
  Register(this, &m_startRotY, "startroty");
  Register(this, &m_startRotZ, "startrotz");
  Register(this, &m_camPosX, "camposx");
  Register(this, &m_camPosY, "camposy");
  // Stored scripts know these two names as they have always been registered: the camera's z
  // is a second "camposy" and its up y a first "camupdirz". Only the first value of a name
  // binds, so z and up z keep their defaults and "camupdirz" sets the up vector's y.
  Register(this, &m_camPosZ, "camposy");
  Register(this, &m_camTargetX, "camtargetx");
  Register(this, &m_camTargetY, "camtargety");
  Register(this, &m_camTargetZ, "camtargetz");
  Register(this, &m_camUpDirX, "camupdirx");
  Register(this, &m_camUpDirY, "camupdirz");
  Register(this, &m_camUpDirZ, "camupdirz");
}

}  // namespace effects

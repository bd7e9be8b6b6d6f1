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
  AddValue(&m_speed, "speed");
  AddValue(&m_startPosX, "startposx");
  AddValue(&m_startPosY, "startposy");
  AddValue(&m_startPosZ, "startposz");
  AddValue(&m_startDirX, "startdirx");
  AddValue(&m_startDirY, "startdiry");
  AddValue(&m_startDirZ, "startdirz");
  AddValue(&m_startUpDirX, "startupdirx");
  AddValue(&m_startUpDirY, "startupdiry");
  AddValue(&m_startUpDirZ, "startupdirz");
  AddValue(&m_gravity, "gravity");
  AddValue(&m_groundPosX, "groundposx");
  AddValue(&m_groundPosY, "groundposy");
  AddValue(&m_groundPosZ, "groundposz");
  AddValue(&m_groundDirX, "grounddirx");
  AddValue(&m_groundDirY, "grounddiry");
  AddValue(&m_groundDirZ, "grounddirz");
  AddValue(&m_numSegments, "numsegments");
  AddValue(&m_segmentTimeInterval, "segmenttimeinterval");
  AddValue(&m_outRadius, "outradius");
  AddValue(&m_inRadius, "inradius");
  AddValue(&m_numEdges, "numedges");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_startRotX, "startrotx");
  AddValue(&m_startRotY, "startroty");
  AddValue(&m_startRotZ, "startrotz");
  AddValue(&m_camPosX, "camposx");
  AddValue(&m_camPosY, "camposy");
  // Stored scripts know these two names as they have always been registered: the camera's z
  // is a second "camposy" and its up y a first "camupdirz". Only the first value of a name
  // binds, so z and up z keep their defaults and "camupdirz" sets the up vector's y.
  AddValue(&m_camPosZ, "camposy");
  AddValue(&m_camTargetX, "camtargetx");
  AddValue(&m_camTargetY, "camtargety");
  AddValue(&m_camTargetZ, "camtargetz");
  AddValue(&m_camUpDirX, "camupdirx");
  AddValue(&m_camUpDirY, "camupdirz");
  AddValue(&m_camUpDirZ, "camupdirz");
}

}  // namespace effects

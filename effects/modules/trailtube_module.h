// "zuravisnurr": a lit, textured star-section tube trailing behind a moving emitter that
// releases a ring at fixed intervals; each released ring drifts on along its own direction.
#pragma once

#include <memory>
#include <vector>

#include "d3d9/com_ptr.h"
#include "geometry/trail_emitter.h"
#include "scenecore.h"

namespace effects {

class CTrailTubeModule : public CModule {
 public:
  CTrailTubeModule();

  void Init() override;
  void Render() override;

 private:
  CValueVarFloat m_speed;
  CValueFloat m_startPosX, m_startPosY, m_startPosZ;
  CValueFloat m_startDirX, m_startDirY, m_startDirZ;
  CValueFloat m_startUpDirX, m_startUpDirY, m_startUpDirZ;
  CValueVarFloat m_gravity;
  CValueVarFloat m_groundPosX, m_groundPosY, m_groundPosZ;
  CValueVarFloat m_groundDirX, m_groundDirY, m_groundDirZ;
  CValueLong m_numSegments;
  CValueFloat m_segmentTimeInterval;
  CValueVarFloat m_outRadius;
  CValueVarFloat m_inRadius;
  CValueLong m_numEdges;
  CValueString m_texture;
  CValueVarFloat m_startRotX, m_startRotY, m_startRotZ;
  CValueVarFloat m_camPosX, m_camPosY, m_camPosZ;
  CValueVarFloat m_camTargetX, m_camTargetY, m_camTargetZ;
  CValueVarFloat m_camUpDirX, m_camUpDirY, m_camUpDirZ;

  // The emitter's direction and up from the script, turned by the three start angles.
  void TurnedDirection(D3DXVECTOR3* direction, D3DXVECTOR3* up);
  void ReleaseBuffers();

  std::unique_ptr<TrailEmitter> m_emitter;
  std::vector<VertexNormalColorTex> m_vertices;
  std::vector<uint16_t> m_triangles;
  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;
  vexil::Com<IDirect3DIndexBuffer9> m_indexBuffer;
  IDirect3DTexture9* m_pTexture = nullptr;  // lent by the texture manager
};

}  // namespace effects

// "torustunnel": the inside of a textured torus built once; the camera sits inside the tube
// and the torus rolls about its own axis, so the wall streams past.
#pragma once

#include <vector>

#include "d3d9/com_ptr.h"
#include "report_once.h"
#include "scenecore.h"
#include "vertex_formats.h"

namespace effects {

class CTorusTunnelModule : public CModule {
 public:
  CTorusTunnelModule();

  void Init() override;
  void Render() override;

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

  void ReleaseBuffers();

  // The torus as built at Init: its shape does not follow later changes of its sizes.
  std::vector<VertexColorTex> m_vertices;
  std::vector<Triangle16> m_triangles;
  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;
  vexil::Com<IDirect3DIndexBuffer9> m_indexBuffer;
  IDirect3DTexture9* m_pTexture = nullptr;  // lent by the texture manager
  ReportOnce m_torusProblem;
};

}  // namespace effects

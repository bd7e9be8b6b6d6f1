// "twister": a lit, textured tube swept from a 2D outline along a straight axis, each ring
// twisted about the vertical axis; rebuilt every frame so that everything can be keyframed.
#pragma once

#include <vector>

#include "d3d9/com_ptr.h"
#include "report_once.h"
#include "scenecore.h"
#include "vertex_formats.h"

namespace effects {

class CTwisterModule : public CModule {
 public:
  CTwisterModule();

  void Init() override;
  void Render() override;

 private:
  // Bytes of the vertex buffer: segment x (points + 1) vertex pairs.
  UINT BufferBytes() const;

  CValueVarFloat m_startTwist;
  CValueVarFloat m_endTwist;
  CValueVarFloat m_middleTwist;    // accepted from scripts, no effect on the picture
  CValueVarFloat m_startEndTwist;  // accepted from scripts, no effect on the picture
  CValueFloat m_texHeightTiling;
  CValueFloat m_texWidthTiling;
  CValueLong m_segment;
  CValueArrayVec2 m_shape;
  CValueArrayVec3 m_body;
  CValueString m_texture;
  CValueVarVec3 m_eyePoint;
  CValueVarVec3 m_lookAtPoint;
  CValueVec2 m_centrum;
  CValueVarFloat m_offset;
  CValueVarFloat m_thickness;
  CValueLong m_mapping;
  CValueLong m_specular;
  CValueVarVec3 m_lightDirection;

  // Fixed at Init: the buffer is sized for them.
  int32_t m_segments = 0;
  int32_t m_points = 0;
  std::vector<float> m_arc;                           // u around the outline, m_points + 1 entries
  std::vector<D3DXVECTOR2> m_outline;                 // this frame's outline points
  std::vector<VertexNormalColorTex> m_pairs;          // the work array, two vertices a pair
  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;  // null when nothing can be drawn
  IDirect3DTexture9* m_pTexture = nullptr;            // lent by the texture manager
  ReportOnce m_problem;
};

}  // namespace effects

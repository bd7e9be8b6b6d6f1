// "texscreen": a texture on a flat or bowl-shaped grid seen in perspective, with a selectable
// part of the texture, a turn about the view axis and an overall opacity.
#pragma once

#include <vector>

#include "d3d9/com_ptr.h"
#include "geometry/texscreen_grid.h"
#include "report_once.h"
#include "scenecore.h"
#include "vertex_formats.h"

namespace effects {

class CTexScreenModule : public CModule {
 public:
  CTexScreenModule();

  void Init() override;
  void Render() override;

 private:
  // The grid settings at the current time, with the point counts fixed at Init.
  TexScreenGridSettings CurrentGrid();
  void ReleaseBuffers();

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

  // The grid's shape is fixed when its buffers are made: the index buffer holds its
  // triangles, and a grid rebuilt at another size would not match it.
  int32_t m_columns = 0;
  int32_t m_rows = 0;
  std::vector<VertexColorTex> m_vertices;
  std::vector<Triangle16> m_triangles;
  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;
  vexil::Com<IDirect3DIndexBuffer9> m_indexBuffer;
  IDirect3DTexture9* m_pTexture = nullptr;  // lent by the texture manager
  ReportOnce m_gridProblem;
};

}  // namespace effects

// "showimage": one texture drawn as a flat picture in a fixed 640 x 480 virtual screen that can
// be moved, turned, scaled and faded, with normal or additive blending.
#pragma once

#include "d3d9/com_ptr.h"
#include "scenecore.h"

namespace effects {

class CShowImageModule : public CModule {
 public:
  CShowImageModule();

  void Init() override;
  void Render() override;

 private:
  // Writes the quad with every vertex's alpha from the current "alpha"; false when the lock
  // fails.
  bool WriteVertices();

  CValueVarFloat m_x;
  CValueVarFloat m_y;
  CValueString m_texture;
  CValueVarFloat m_angle;
  CValueVarFloat m_alpha;
  CValueVarFloat m_scaleX;
  CValueVarFloat m_scaleY;
  CValueLong m_filter;
  CValueLong m_blending;

  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;
  IDirect3DTexture9* m_pTexture = nullptr;  // lent by the texture manager
  int32_t m_textureWidth = 0;
  int32_t m_textureHeight = 0;
  D3DTEXTUREFILTERTYPE m_filterMode = D3DTEXF_LINEAR;
};

}  // namespace effects

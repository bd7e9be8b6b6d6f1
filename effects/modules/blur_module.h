// "blur": a zoom blur of a texture (usually a render target) over the whole screen, drawn as
// many magnified, fading, additive passes toward a centre point.
#pragma once

#include "d3d9/com_ptr.h"
#include "report_once.h"
#include "scenecore.h"

namespace effects {

class CBlurModule : public CModule {
 public:
  CBlurModule();

  void Init() override;
  void Render() override;

 private:
  CValueString m_texture;
  CValueVarFloat m_size;
  CValueVarFloat m_startAlpha;
  CValueVarFloat m_light;
  CValueVarLong m_times;
  CValueVarFloat m_xOffset;
  CValueVarFloat m_yOffset;

  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;
  IDirect3DTexture9* m_pTexture = nullptr;  // lent by the texture manager
  ReportOnce m_passCap;
};

}  // namespace effects

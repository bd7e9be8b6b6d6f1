// "metaballs" module: its settings. The field, the surface extraction and drawing join here.
#include "metaballs_module.h"

namespace effects {

CMetaballsModule::CMetaballsModule()
    : CModule(0.0f, 0.0f, 0),
      m_texture(""),
      m_specular(1),
      m_eyePoint(D3DXVECTOR3(0.0f, 0.0f, -20.0f)),
      m_lookAtPoint(D3DXVECTOR3(0.0f, 0.0f, 0.0f)),
      m_lightDirection(D3DXVECTOR3(0.5f, 0.0f, -0.5f)),
      m_texOffset(D3DXVECTOR2(0.0f, 0.0f)) {
  Register(this, &m_texture, "texture");
  Register(this, &m_specular, "specular");
  Register(this, &m_eyePoint, "eyepoint");
  Register(this, &m_lookAtPoint, "lookatpoint");
  Register(this, &m_lightDirection, "lightdirection");
  Register(this, &m_texOffset, "texoffset");
}

}  // namespace effects

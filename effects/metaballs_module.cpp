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
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_specular, "specular");
  AddValue(&m_eyePoint, "eyepoint");
  AddValue(&m_lookAtPoint, "lookatpoint");
  AddValue(&m_lightDirection, "lightdirection");
  AddValue(&m_texOffset, "texoffset");
}

}  // namespace effects

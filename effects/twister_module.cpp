// "twister" module: its settings. The tube builder and drawing join here.
#include "twister_module.h"

namespace effects {

CTwisterModule::CTwisterModule()
    : CModule(0.0f, 0.0f, 0),
      m_startTwist(0.0f),
      m_endTwist(0.0f),
      m_middleTwist(0.0f),
      m_startEndTwist(0.0f),
      m_texHeightTiling(1.0f),
      m_texWidthTiling(1.0f),
      m_segment(0),
      m_texture(""),
      m_eyePoint(D3DXVECTOR3(0.0f, 0.0f, 0.0f)),
      m_lookAtPoint(D3DXVECTOR3(0.0f, 0.0f, 0.0f)),
      m_centrum(D3DXVECTOR2(0.0f, 0.0f)),
      m_offset(0.0f),
      m_thickness(1.0f),
      m_mapping(0),
      m_specular(0),
      m_lightDirection(D3DXVECTOR3(0.5f, 0.0f, -0.5f)) {
  AddValue(&m_startTwist, "starttwist");
  AddValue(&m_endTwist, "endtwist");
  AddValue(&m_middleTwist, "middletwist");
  AddValue(&m_startEndTwist, "startendtwist");
  AddValue(&m_texHeightTiling, "texheighttiling");
  AddValue(&m_texWidthTiling, "texwidthtiling");
  AddValue(&m_segment, "segment");
  AddValue(&m_shape, "shape");
  AddValue(&m_body, "body");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_eyePoint, "eyepoint");
  AddValue(&m_lookAtPoint, "lookatpoint");
  AddValue(&m_centrum, "centrum");
  AddValue(&m_offset, "offset");
  AddValue(&m_thickness, "thickness");
  AddValue(&m_mapping, "mapping");
  AddValue(&m_specular, "specular");
  AddValue(&m_lightDirection, "lightdirection");
}

}  // namespace effects

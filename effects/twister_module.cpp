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
  Register(this, &m_startTwist, "starttwist");
  Register(this, &m_endTwist, "endtwist");
  Register(this, &m_middleTwist, "middletwist");
  Register(this, &m_startEndTwist, "startendtwist");
  Register(this, &m_texHeightTiling, "texheighttiling");
  Register(this, &m_texWidthTiling, "texwidthtiling");
  Register(this, &m_segment, "segment");
  Register(this, &m_shape, "shape");
  Register(this, &m_body, "body");
  Register(this, &m_texture, "texture");
  Register(this, &m_eyePoint, "eyepoint");
  Register(this, &m_lookAtPoint, "lookatpoint");
  Register(this, &m_centrum, "centrum");
  Register(this, &m_offset, "offset");
  Register(this, &m_thickness, "thickness");
  Register(this, &m_mapping, "mapping");
  Register(this, &m_specular, "specular");
  Register(this, &m_lightDirection, "lightdirection");
}

}  // namespace effects

// "texscreen" module: its settings. The grid builder and drawing join here.
#include "texscreen_module.h"

namespace effects {

CTexScreenModule::CTexScreenModule()
    : CModule(0.0f, 0.0f, 0),
      m_xNum(30),
      m_yNum(30),
      m_z(0.0f),
      m_xSegSize(0.03f),
      m_ySegSize(0.03f),
      m_uStart(0.0f),
      m_vStart(0.0f),
      m_uEnd(1.0f),
      m_vEnd(1.0f),
      m_bendFactor(0.0f),
      m_zRot(0.0f),
      m_alpha(1.0f),
      m_texture("") {
  Register(this, &m_xNum, "xnum");
  Register(this, &m_yNum, "ynum");
  Register(this, &m_z, "z");
  Register(this, &m_xSegSize, "xsegsize");
  Register(this, &m_ySegSize, "ysegsize");
  Register(this, &m_uStart, "ustart");
  Register(this, &m_vStart, "vstart");
  Register(this, &m_uEnd, "uend");
  Register(this, &m_vEnd, "vend");
  Register(this, &m_bendFactor, "bendfactor");
  Register(this, &m_zRot, "zrot");
  Register(this, &m_alpha, "alpha");
  Register(this, &m_texture, "texture");
}

}  // namespace effects

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
  AddValue(&m_xNum, "xnum");
  AddValue(&m_yNum, "ynum");
  AddValue(&m_z, "z");
  AddValue(&m_xSegSize, "xsegsize");
  AddValue(&m_ySegSize, "ysegsize");
  AddValue(&m_uStart, "ustart");
  AddValue(&m_vStart, "vstart");
  AddValue(&m_uEnd, "uend");
  AddValue(&m_vEnd, "vend");
  AddValue(&m_bendFactor, "bendfactor");
  AddValue(&m_zRot, "zrot");
  AddValue(&m_alpha, "alpha");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
}

}  // namespace effects

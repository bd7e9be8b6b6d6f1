// "blur" module: its settings. The drawing passes join here.
#include "blur_module.h"

namespace effects {

CBlurModule::CBlurModule()
    : CModule(0.0f, 0.0f, 0),
      m_texture(""),
      m_size(0.01f),
      m_startAlpha(0.1f),
      m_light(0.1f),
      m_times(50),
      m_xOffset(0.0f),
      m_yOffset(0.0f) {
  Register(this, &m_texture, "texture");
  Register(this, &m_size, "size");
  Register(this, &m_startAlpha, "startalpha");
  Register(this, &m_light, "light");
  Register(this, &m_times, "times");
  Register(this, &m_xOffset, "xoffset");
  Register(this, &m_yOffset, "yoffset");
}

}  // namespace effects

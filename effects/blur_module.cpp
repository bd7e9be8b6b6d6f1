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
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_size, "size");
  AddValue(&m_startAlpha, "startalpha");
  AddValue(&m_light, "light");
  AddValue(&m_times, "times");
  AddValue(&m_xOffset, "xoffset");
  AddValue(&m_yOffset, "yoffset");
}

}  // namespace effects

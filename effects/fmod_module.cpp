// "fmod" music module: its values. Playback through the FSOUND_ stream calls joins here.
#include "fmod_module.h"

namespace effects {

CFmodModule::CFmodModule() : CModule(0.0f, 0.0f, 0), m_filename(""), m_loadFrom("") {
  Register(this, &m_filename, "filename");
  Register(this, &m_loadFrom, "loadfrom");
}

}  // namespace effects

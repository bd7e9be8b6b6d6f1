// "fmod": the music module. Plays the demo's music as a looping stream, from a file or from
// a "raw" resource in memory, started at the matching position when its span begins.
#pragma once

#include "params/value.h"
#include "scenecore.h"
#include "value_registry.h"

struct FSOUND_STREAM;

namespace effects {

class CFmodModule : public CModule, public CValueRegistry {
 public:
  CFmodModule();

 private:
  // The music file's path, or with "loadfrom" "memory" the name of a "raw" resource.
  CValueString m_filename;
  // "memory" (any case) plays from the raw resource; anything else from the file.
  CValueString m_loadFrom;
  FSOUND_STREAM* m_stream = nullptr;
};

}  // namespace effects

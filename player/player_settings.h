// The demo's display and timing settings as the script's "settings" element gives them,
// and the rules that read them.
#pragma once

#include <cstdint>

class TiXmlElement;

namespace vexil {

struct PlayerSettings {
  bool fullscreen = false;
  bool setupdialog = false;
  bool fpslimiter = false;
  int16_t width = 0;
  int16_t height = 0;
  int16_t framerate = 0;   // frames per second
  float starttime = 0.0f;  // milliseconds
};

// Stores the "value" of every recognised child of a "settings" element (names in any case):
// width, height, framerate, fullscreen, setupdialog, starttime, fpslimiter; "bpp" and
// unknown names change nothing. A child without a "value" attribute changes nothing either.
void ApplySettingsElement(const TiXmlElement* settings, PlayerSettings* out);

}  // namespace vexil

// The demo's display and timing settings as the script's "settings" element gives them,
// and the rules that read them.
#pragma once

#include <cstdint>
#include <string>

class TiXmlElement;
class CSyncContext;

namespace vexil {

struct PlayerSettings {
  bool fullscreen = false;
  bool setupdialog = false;
  bool fpslimiter = false;
  int16_t width = 0;
  int16_t height = 0;
  int16_t framerate = 0;   // frames per second
  float starttime = 0.0f;  // milliseconds
  // Musical time: a tempo (when has_bpm), rows per beat and where sync tracks are read.
  bool has_bpm = false;
  double bpm = 0.0;
  int32_t rowsperbeat = 8;
  std::string synctracks = "sync";
};

// Stores the "value" of every recognised child of a "settings" element (names in any case):
// width, height, framerate, fullscreen, setupdialog, starttime, fpslimiter; "bpp" and
// unknown names change nothing. A child without a "value" attribute changes nothing either.
// Also bpm, rowsperbeat and synctracks.
void ApplySettingsElement(const TiXmlElement* settings, PlayerSettings* out);

// Hands the musical settings to the engine, which converts beats and reads sync tracks.
void ApplySyncSettings(const PlayerSettings& settings, CSyncContext* sync);

}  // namespace vexil

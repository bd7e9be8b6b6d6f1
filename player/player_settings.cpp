// Reading of the "settings" element into PlayerSettings.
#include "player_settings.h"

#include <strings.h>
#include <tinyxml.h>

#include "params/scripttext.h"
#include "params/synccontext.h"

namespace vexil {

void ApplySettingsElement(const TiXmlElement* settings, PlayerSettings* out) {
  if (settings == nullptr) return;
  for (const TiXmlElement* child = settings->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const char* name = child->Value();
    const char* text = child->Attribute("value");
    if (text == nullptr) continue;  // nothing to store: keep what was there
    const int32_t number = ScriptInt(text);
    // 16-bit fields keep the low 16 bits, as the stored scripts were written against.
    const auto as16 = static_cast<int16_t>(static_cast<uint16_t>(number));
    if (strcasecmp(name, "width") == 0) {
      out->width = as16;
    } else if (strcasecmp(name, "height") == 0) {
      out->height = as16;
    } else if (strcasecmp(name, "framerate") == 0) {
      out->framerate = as16;
    } else if (strcasecmp(name, "fullscreen") == 0) {
      out->fullscreen = number != 0;
    } else if (strcasecmp(name, "setupdialog") == 0) {
      out->setupdialog = number != 0;
    } else if (strcasecmp(name, "starttime") == 0) {
      out->starttime = static_cast<float>(number);  // whole milliseconds: "1500.7" is 1500
    } else if (strcasecmp(name, "fpslimiter") == 0) {
      out->fpslimiter = number != 0;
    } else if (strcasecmp(name, "bpm") == 0) {
      out->has_bpm = true;
      out->bpm = ScriptDouble(text);
    } else if (strcasecmp(name, "rowsperbeat") == 0) {
      out->rowsperbeat = number;
    } else if (strcasecmp(name, "synctracks") == 0) {
      out->synctracks = text;
    }
    // "bpp": the colour depth is fixed at 32 bits; other names: not ours.
  }
}

void ApplySyncSettings(const PlayerSettings& settings, CSyncContext* sync) {
  sync->SetMusic(settings.has_bpm, settings.bpm, settings.rowsperbeat);
  sync->SetTrackSource(settings.synctracks);
}

}  // namespace vexil

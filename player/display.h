// The display a demo draws on: a window with the graphics device for live play, an offscreen
// device for a render, the null device for a check. Opened while the script's "settings"
// element is read (the setup dialog may change the settings first); the fixed camera is set
// and the screen cleared, as every demo expects at its start.
#pragma once

#include <string>

#include "player_settings.h"
#include "scenecore.h"

namespace vexil {

enum class DisplayKind { kWindow, kOffscreen, kNull };

enum class DisplayOutcome {
  kOpen,
  kFailed,     // the reason is in the error text
  kCancelled,  // the person cancelled the setup dialog: the demo does not play
};

class PlayerDisplay {
 public:
  PlayerDisplay() = default;
  // Destroys the window. The device belongs to the caller of Open.
  ~PlayerDisplay();
  PlayerDisplay(const PlayerDisplay&) = delete;
  PlayerDisplay& operator=(const PlayerDisplay&) = delete;

  // Opens the display for `settings` with `name` as the window's title; the Direct3D object
  // and the device go to `holder`, which also learns the display's size. The caller owns one
  // reference of each that `holder` holds, also after a failure.
  DisplayOutcome Open(DisplayKind kind, const std::string& name, PlayerSettings* settings,
                      CDemoDevice* holder, std::string* error);

  void* window() const { return window_; }

  // The Loop box of the setup dialog starts as `on`; loop() tells what the person left it at
  // (or `on` when no dialog was shown).
  void OfferLoop(bool on) { loop_ = on; }
  bool loop() const { return loop_; }

 private:
  DisplayOutcome OpenWindowed(const std::string& name, PlayerSettings* settings,
                              CDemoDevice* holder, std::string* error);
  bool OpenHeadless(bool null_device, const PlayerSettings& settings, CDemoDevice* holder,
                    std::string* error);

  void* window_ = nullptr;
  bool loop_ = false;
};

}  // namespace vexil

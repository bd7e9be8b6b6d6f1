// The display setup dialog shown before the demo's window when the script asks for it:
// mode list, Fullscreen and Loop boxes, Run and Cancel. Drawn with Dear ImGui in a small
// window of its own (platform/system) that is gone again when Run answers.
#pragma once

#include <string>

#include "display_modes.h"

class IDirect3D9;

class CSetupDialog {
 public:
  // d3d lists the modes (not owned; null gives an empty list). demo_name is copied.
  CSetupDialog(const char* demo_name, int preferred_width, int preferred_height,
               int preferred_refresh_rate, bool fullscreen, IDirect3D9* d3d);
  virtual ~CSetupDialog();

  // Shows the dialog and returns when the user has chosen: true for Run (or Enter), false
  // for Cancel (or Escape, or closing the window). Where no display can show a window,
  // no dialog appears: the script's own settings are kept and the answer is true.
  bool Run();

  // After Run answered true: the mode to use and the state of the two boxes.
  const vexil::DisplayModeRecord& GetChosenMode() const { return chosen_; }
  bool GetFullscreen() const { return fullscreen_; }
  bool GetLoop() const { return loop_; }
  // False when Run kept the script's settings because no dialog could be shown.
  bool WasShown() const { return shown_; }

  // The Loop box's state when the dialog opens (--loop checks it); kept when no dialog shows.
  void SetLoop(bool loop) { loop_ = loop; }

  // Lets automated checks drive the real dialog on an offscreen video driver with
  // synthetic events; players never set it, since nobody could answer such a dialog.
  void SetShowWhenHeadless(bool show) { show_when_headless_ = show; }

 private:
  bool KeepScriptSettings(const std::string& why);

  std::string demo_name_;
  int preferred_width_;
  int preferred_height_;
  int preferred_refresh_rate_;
  IDirect3D9* d3d_;
  bool fullscreen_;
  bool loop_ = false;
  bool shown_ = false;
  bool show_when_headless_ = false;
  vexil::DisplayModeRecord chosen_;
};

// What the setup dialog knows and decides, without drawing: the mode list, the two boxes,
// and the Run and Cancel steps. The window code only feeds user actions into it.
#pragma once

#include "display_modes.h"

namespace vexil {

class SetupDialogModel {
 public:
  SetupDialogModel(ModeList modes, bool fullscreen);

  const ModeList& modes() const { return modes_; }
  int selection() const { return modes_.selection; }
  // Out-of-range indices are ignored.
  void Select(int index);

  bool fullscreen = false;
  bool loop = false;

  // The Run steps: with a selected mode, takes it and the boxes and finishes with result
  // true; with none (empty list) does nothing and answers false — the dialog stays open.
  bool Run();
  // Finishes with result false.
  void Cancel();

  bool finished() const { return finished_; }
  bool result() const { return result_; }
  const DisplayModeRecord& chosen_mode() const { return chosen_; }

 private:
  ModeList modes_;
  bool finished_ = false;
  bool result_ = false;
  DisplayModeRecord chosen_;
};

}  // namespace vexil

// Run and Cancel steps of the setup dialog.
#include "setup_dialog_model.h"

#include <utility>

namespace vexil {

SetupDialogModel::SetupDialogModel(ModeList modes, bool fullscreen_box)
    : fullscreen(fullscreen_box), modes_(std::move(modes)) {}

void SetupDialogModel::Select(int index) {
  if (index >= 0 && index < static_cast<int>(modes_.entries.size())) modes_.selection = index;
}

bool SetupDialogModel::Run() {
  const DisplayModeRecord* selected = modes_.Selected();
  if (selected == nullptr) return false;
  chosen_ = *selected;
  result_ = true;
  finished_ = true;
  return true;
}

void SetupDialogModel::Cancel() {
  result_ = false;
  finished_ = true;
}

}  // namespace vexil

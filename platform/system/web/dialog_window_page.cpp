// The setup dialog's window in the browser build: a page has one canvas, which the demo
// owns, and the page itself sizes it, so no dialog opens and the player keeps the script's
// display settings (it says so on the console).
#include "system/dialog/dialog_window.h"

namespace vexil {
namespace sys {

bool DialogWindow::Open(const std::string&, int, int, const std::vector<uint8_t>&, int,
                        std::string* error) {
  if (error) *error = "a web page shows the demo with the script's display settings";
  return false;
}

void DialogWindow::Show() {}

void DialogWindow::PumpEvents(int, const std::function<bool(const DialogEvent&)>&) {}

void DialogWindow::SetControls(std::vector<DialogRect> controls, bool no_drag) {
  drag_.controls = std::move(controls);
  drag_.no_drag = no_drag;
}

void DialogWindow::BeginFrame() {}

void DialogWindow::EndFrame(float, float, float) {}

void DialogWindow::Close() {
  // Nothing was opened: the window, its context and the backends stay unset.
  window_ = nullptr;
  context_ = nullptr;
  video_ = false;
  backends_ = false;
}

}  // namespace sys
}  // namespace vexil

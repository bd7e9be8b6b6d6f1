// Key bindings of edit mode and the transport moves they make.
#include "edit_keys.h"

#include "system/keys.h"

namespace vexil {

EditCommand EditCommandForKey(int virtual_key) {
  switch (virtual_key) {
    case 'P':
    case sys::kVkPause:
      return EditCommand::kTogglePause;
    case sys::kVkLeft:
      return EditCommand::kBack1s;
    case sys::kVkRight:
      return EditCommand::kForward1s;
    case sys::kVkDown:
      return EditCommand::kBack10s;
    case sys::kVkUp:
      return EditCommand::kForward10s;
    case sys::kVkHome:
      return EditCommand::kToStart;
    case sys::kVkPrior:
      return EditCommand::kPreviousStart;
    case sys::kVkNext:
      return EditCommand::kNextStart;
    case 'I':
      return EditCommand::kLoopIn;
    case 'O':
      return EditCommand::kLoopOut;
    case 'L':
      return EditCommand::kLoopClear;
    case sys::kVkTab:
      return EditCommand::kToggleOverlay;
    case 'R':
      return EditCommand::kReload;
    case 'T':
      return EditCommand::kTogglePanel;
    default:
      return EditCommand::kNone;
  }
}

bool ApplyEditCommand(EditCommand command, Transport* transport, double clock_ms,
                      const std::vector<double>& starts) {
  const double now = transport->Time(clock_ms);
  switch (command) {
    case EditCommand::kTogglePause:
      transport->TogglePause(clock_ms);
      return false;
    case EditCommand::kBack1s:
      transport->SeekBy(-1000.0, clock_ms);
      return true;
    case EditCommand::kForward1s:
      transport->SeekBy(1000.0, clock_ms);
      return true;
    case EditCommand::kBack10s:
      transport->SeekBy(-10000.0, clock_ms);
      return true;
    case EditCommand::kForward10s:
      transport->SeekBy(10000.0, clock_ms);
      return true;
    case EditCommand::kToStart:
      transport->SeekTo(0.0, clock_ms);
      return true;
    case EditCommand::kPreviousStart:
      transport->SeekTo(PreviousModuleStart(starts, now), clock_ms);
      return true;
    case EditCommand::kNextStart:
      transport->SeekTo(NextModuleStart(starts, now), clock_ms);
      return true;
    case EditCommand::kLoopIn:
      transport->SetLoopIn(clock_ms);
      return false;
    case EditCommand::kLoopOut:
      transport->SetLoopOut(clock_ms);
      return false;
    case EditCommand::kLoopClear:
      transport->ClearLoop();
      return false;
    case EditCommand::kToggleOverlay:
    case EditCommand::kReload:
    case EditCommand::kTogglePanel:
    case EditCommand::kNone:
      return false;
  }
  return false;
}

}  // namespace vexil

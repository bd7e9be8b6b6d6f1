// The keys of edit mode and what they do to the transport. Chosen to leave the timing
// overlay's keys (Space, F1-F8, Enter) to the "showtime" module and Escape to ending.
#pragma once

#include <vector>

#include "transport.h"

namespace vexil {

enum class EditCommand {
  kNone,
  kTogglePause,    // P, Pause
  kBack1s,         // Left
  kForward1s,      // Right
  kBack10s,        // Down
  kForward10s,     // Up
  kToStart,        // Home
  kPreviousStart,  // Page Up
  kNextStart,      // Page Down
  kLoopIn,         // I
  kLoopOut,        // O
  kLoopClear,      // L
  kToggleOverlay,  // Tab
  kReload,         // R
  kTogglePanel,    // T: the timeline panel
};

// The command of a key (a Win32 virtual-key code); kNone for every other key.
EditCommand EditCommandForKey(int virtual_key);

// Applies a transport command at clock time `clock_ms`; `starts` are the module start times.
// True when the demo time jumped, which restarts the modules (their music seeks with them).
// Commands that are not about the transport do nothing.
bool ApplyEditCommand(EditCommand command, Transport* transport, double clock_ms,
                      const std::vector<double>& starts);

}  // namespace vexil

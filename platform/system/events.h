// Window-system events as the main loop needs them: take one pending event without
// waiting (like PeekMessage with PM_REMOVE), or drain the queue and summarise it.
#pragma once

namespace vexil {
namespace sys {

enum class EventKind {
  kQuit,     // the window was closed or the session asks the program to end
  kKeyDown,  // virtual_key holds the key (Win32 code); repeat marks auto-repeat
  kKeyUp,
  kOther,  // anything else (mouse, focus, exposure): taken from the queue, nothing to do
};

struct Event {
  EventKind kind = EventKind::kOther;
  int virtual_key = 0;
  bool repeat = false;
};

// Takes one pending event without waiting; false when the queue is empty.
bool PollEvent(Event* event);

struct PumpResult {
  bool quit_requested = false;
  bool escape_pressed = false;
  int events = 0;
};

// Takes every pending event and reports whether the user asked to quit or pressed Escape.
PumpResult PumpEvents();

// Puts a press and a release of a key into the event queue, as if it had been typed: tests and
// tools drive a running program by the keyboard's own path. Safe from any thread once the
// video system is up. False for a key without an equivalent or when the queue refuses.
bool PostKeyPress(int virtual_key);

}  // namespace sys
}  // namespace vexil

// What a running demo asks of the desktop: no screen saver or monitor power-down, no
// mouse cursor over the picture, and a raised priority for the rendering thread.
#pragma once

namespace vexil {
namespace sys {

// Keeps the screen saver and display power saving away while the demo plays.
void RefuseScreenSaver();
// Lets them come back (when the demo has ended).
void AllowScreenSaver();

// Hides (or shows again) the mouse cursor over the program's windows.
void HideMouseCursor(bool hide);

// Raises the calling thread's scheduling priority. On failure, says so once per process
// on stderr (a demo plays fine without it) and returns false.
bool RaiseThreadPriority();

}  // namespace sys
}  // namespace vexil

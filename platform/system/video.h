// Start-up of the platform's video and event layer (SDL2) and the test for a display
// that a person can see. Safe to call repeatedly: SDL counts the references.
#pragma once

#include <string>

namespace vexil {
namespace sys {

// Initialises video and events. False with a message in *error (may be null) on failure.
bool InitVideo(std::string* error);
// Releases one InitVideo reference.
void QuitVideo();

// True when nothing can be shown to a person: SDL_VIDEODRIVER is "offscreen" or "dummy",
// or neither an X11 nor a Wayland display is named in the environment.
bool IsHeadless();

}  // namespace sys
}  // namespace vexil

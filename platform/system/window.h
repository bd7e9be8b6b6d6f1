// The demo's window: an SDL window made for OpenGL, handed around as an opaque,
// HWND-compatible pointer (the Direct3D layer takes it as its focus window).
#pragma once

#include <string>

namespace vexil {
namespace sys {

struct WindowOptions {
  std::string title;
  int width = 640;  // client area, which is also the back buffer size
  int height = 480;
  bool visible = false;  // the player shows the window when its main loop starts
};

// Creates the window (SDL_WINDOW_OPENGL), in a window: a full-screen Direct3D device switches
// it with EnterFullscreen, as a D3D9 device does with its focus window. Initialises the video
// system as needed.
// Returns null with a message in *error (may be null) on failure.
void* CreateAppWindow(const WindowOptions& options, std::string* error);

// Shows and raises the window and gives it the keyboard focus.
void ShowAppWindow(void* window);

// Destroys the window; null is ignored.
void DestroyAppWindow(void* window);

// The one full-screen switch: sets the window's display to `width` x `height` (at
// `refresh_rate`, 0 for the display's choice) and covers it; when the display has no mode of
// that size, covers the desktop at its own mode instead (the picture is then scaled). False,
// with the window unchanged and the reason in *error (may be null), when neither works.
bool EnterFullscreen(void* window, int width, int height, int refresh_rate, std::string* error);
// Gives the display its own mode back and the window its place on the desktop.
void LeaveFullscreen(void* window);

// The client size of the window in pixels; false for a null window.
bool GetAppWindowSize(void* window, int* width, int* height);

}  // namespace sys
}  // namespace vexil

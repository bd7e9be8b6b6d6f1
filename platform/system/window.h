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
  bool fullscreen = false;
  int refresh_rate = 0;  // full screen only; 0 keeps the display's current rate
  bool visible = false;  // the player shows the window when its main loop starts
};

// Creates the window (SDL_WINDOW_OPENGL). Initialises the video system as needed.
// Returns null with a message in *error (may be null) on failure.
void* CreateAppWindow(const WindowOptions& options, std::string* error);

// Shows and raises the window and gives it the keyboard focus.
void ShowAppWindow(void* window);

// Destroys the window; null is ignored.
void DestroyAppWindow(void* window);

// The client size of the window in pixels; false for a null window.
bool GetAppWindowSize(void* window, int* width, int* height);

}  // namespace sys
}  // namespace vexil

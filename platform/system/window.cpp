// Window creation over SDL2, and the switch to and from full screen at the display mode
// closest to the requested size and refresh rate.
#include "system/window.h"

#include <SDL.h>

#include "system/video.h"

namespace vexil {
namespace sys {

void* CreateAppWindow(const WindowOptions& options, std::string* error) {
  if (options.width <= 0 || options.height <= 0) {
    if (error) {
      *error = "invalid window size " + std::to_string(options.width) + "x" +
               std::to_string(options.height);
    }
    return nullptr;
  }
  if (!InitVideo(error)) return nullptr;

  Uint32 flags = SDL_WINDOW_OPENGL;
  if (!options.visible) flags |= SDL_WINDOW_HIDDEN;
  SDL_Window* window =
      SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                       options.width, options.height, flags);
  if (window == nullptr) {
    if (error) *error = std::string("cannot create the window: ") + SDL_GetError();
    QuitVideo();
    return nullptr;
  }

  return window;
}

bool EnterFullscreen(void* window, int width, int height, int refresh_rate, std::string* error) {
  if (window == nullptr) {
    if (error) *error = "no window";
    return false;
  }
  SDL_Window* w = static_cast<SDL_Window*>(window);
  SDL_DisplayMode wanted{};
  wanted.w = width;
  wanted.h = height;
  wanted.refresh_rate = refresh_rate;
  SDL_DisplayMode closest{};
  const int display = SDL_GetWindowDisplayIndex(w);
  if (SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &wanted, &closest) != nullptr &&
      closest.w == width && closest.h == height && SDL_SetWindowDisplayMode(w, &closest) == 0 &&
      SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) == 0) {
    return true;
  }
  if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) return true;
  if (error) *error = SDL_GetError();
  return false;
}

void LeaveFullscreen(void* window) {
  if (window != nullptr) SDL_SetWindowFullscreen(static_cast<SDL_Window*>(window), 0);
}

void ShowAppWindow(void* window) {
  if (window == nullptr) return;
  SDL_Window* w = static_cast<SDL_Window*>(window);
  SDL_ShowWindow(w);
  SDL_RaiseWindow(w);
}

void DestroyAppWindow(void* window) {
  if (window == nullptr) return;
  SDL_DestroyWindow(static_cast<SDL_Window*>(window));
  QuitVideo();
}

bool GetAppWindowSize(void* window, int* width, int* height) {
  if (window == nullptr) return false;
  SDL_GetWindowSize(static_cast<SDL_Window*>(window), width, height);
  return true;
}

}  // namespace sys
}  // namespace vexil

// Window creation over SDL2, including the full-screen display mode closest to the
// requested size and refresh rate.
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
  if (options.fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
  SDL_Window* window =
      SDL_CreateWindow(options.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                       options.width, options.height, flags);
  if (window == nullptr) {
    if (error) *error = std::string("cannot create the window: ") + SDL_GetError();
    QuitVideo();
    return nullptr;
  }

  if (options.fullscreen) {
    // Switch to the listed mode the user or the script chose, or the closest one.
    SDL_DisplayMode wanted{};
    wanted.w = options.width;
    wanted.h = options.height;
    wanted.refresh_rate = options.refresh_rate;
    SDL_DisplayMode closest{};
    const int display = SDL_GetWindowDisplayIndex(window);
    if (SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &wanted, &closest) != nullptr) {
      SDL_SetWindowDisplayMode(window, &closest);
    }
  }
  return window;
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

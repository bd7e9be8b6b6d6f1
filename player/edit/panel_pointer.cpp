// SDL's mouse state scaled from the window's size to the back buffer's.
#include "panel_pointer.h"

#include <SDL.h>

namespace vexil {

PanelPointer ReadPanelPointer(int target_width, int target_height) {
  PanelPointer pointer;
  SDL_Window* window = SDL_GetMouseFocus();
  int x = 0, y = 0;
  const Uint32 buttons = SDL_GetMouseState(&x, &y);
  if (!window) return pointer;
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  if (w <= 0 || h <= 0) return pointer;
  pointer.x = static_cast<float>(x) * target_width / w;
  pointer.y = static_cast<float>(y) * target_height / h;
  pointer.down = (buttons & SDL_BUTTON_LMASK) != 0;
  return pointer;
}

}  // namespace vexil

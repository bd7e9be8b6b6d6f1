// SDL's mouse state scaled from the window's size to the back buffer's. The main loop's event
// pump takes the wheel's events without a word for them, so a watch on SDL's queue counts them.
#include "panel_pointer.h"

#include <SDL.h>

namespace vexil {

namespace {

// Only touched on the main thread: SDL calls watches where events are pumped.
float wheel_steps = 0.0f;

int CountWheel(void*, SDL_Event* event) {
  if (event->type == SDL_MOUSEWHEEL) {
    const float steps = static_cast<float>(event->wheel.y);
    wheel_steps += event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -steps : steps;
  }
  return 1;
}

}  // namespace

PanelPointer ReadPanelPointer(int target_width, int target_height) {
  static const bool watching = (SDL_AddEventWatch(CountWheel, nullptr), true);
  (void)watching;
  PanelPointer pointer;
  pointer.wheel = wheel_steps;
  wheel_steps = 0.0f;
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

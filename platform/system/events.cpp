// Event pumping over SDL2. Key presses also reach the key state through its event watch.
#include "system/events.h"

#include <SDL.h>

#include "system/keys.h"

namespace vexil {
namespace sys {

bool PollEvent(Event* event) {
  SDL_Event e;
  if (SDL_PollEvent(&e) == 0) return false;
  *event = Event{};
  switch (e.type) {
    case SDL_QUIT:
      event->kind = EventKind::kQuit;
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) event->kind = EventKind::kQuit;
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      event->kind = e.type == SDL_KEYDOWN ? EventKind::kKeyDown : EventKind::kKeyUp;
      event->virtual_key = VirtualKeyFromSdlKeycode(e.key.keysym.sym);
      event->repeat = e.key.repeat != 0;
      break;
    default:
      break;
  }
  return true;
}

PumpResult PumpEvents() {
  PumpResult result;
  Event event;
  while (PollEvent(&event)) {
    ++result.events;
    if (event.kind == EventKind::kQuit) result.quit_requested = true;
    if (event.kind == EventKind::kKeyDown && event.virtual_key == kVkEscape) {
      result.escape_pressed = true;
    }
  }
  return result;
}

bool PostKeyPress(int virtual_key) {
  const SDL_Keycode key = SdlKeycodeFromVirtualKey(virtual_key);
  if (key == SDLK_UNKNOWN) return false;
  SDL_Event event{};
  event.type = SDL_KEYDOWN;
  event.key.state = SDL_PRESSED;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  if (SDL_PushEvent(&event) != 1) return false;
  event.type = SDL_KEYUP;
  event.key.state = SDL_RELEASED;
  return SDL_PushEvent(&event) == 1;
}

}  // namespace sys
}  // namespace vexil

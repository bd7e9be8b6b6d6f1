// Screen saver, cursor and thread priority over SDL2.
#include "system/desktop.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>

namespace vexil {
namespace sys {

void RefuseScreenSaver() {
  SDL_DisableScreenSaver();
}

void AllowScreenSaver() {
  SDL_EnableScreenSaver();
}

void HideMouseCursor(bool hide) {
  SDL_ShowCursor(hide ? SDL_DISABLE : SDL_ENABLE);
}

bool RaiseThreadPriority() {
  if (SDL_SetThreadPriority(SDL_THREAD_PRIORITY_HIGH) == 0) return true;
  static std::atomic<bool> reported{false};
  if (!reported.exchange(true)) {
    std::fprintf(stderr, "vexil: failed to set thread priority (%s); playing at normal priority\n",
                 SDL_GetError());
  }
  return false;
}

}  // namespace sys
}  // namespace vexil

// SDL2 video start-up and headless detection.
#include "system/video.h"

#include <SDL.h>
#include <strings.h>

#include <cstdlib>

#include "system/keys.h"

namespace vexil {
namespace sys {

bool InitVideo(std::string* error) {
#ifdef __EMSCRIPTEN__
  // The GL device gives the browser its turn after each present (system/browser.h); SDL's own
  // yield in its swap would only add a second one.
  SDL_SetHint("SDL_EMSCRIPTEN_ASYNCIFY", "0");
#endif
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    if (error) *error = std::string("cannot start the video system: ") + SDL_GetError();
    return false;
  }
  WatchPlatformKeyboard();
  return true;
}

void QuitVideo() {
  SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
}

bool IsHeadless() {
#ifdef __EMSCRIPTEN__
  return false;  // the page is the display
#endif
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  if (driver && (strcasecmp(driver, "offscreen") == 0 || strcasecmp(driver, "dummy") == 0)) {
    return true;
  }
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return !(x11 && *x11) && !(wayland && *wayland);
}

}  // namespace sys
}  // namespace vexil

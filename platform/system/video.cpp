// SDL2 video start-up and headless detection.
#include "system/video.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <cstdlib>
#include <string>

#include "system/keys.h"

#if defined(__SANITIZE_ADDRESS__)
#define VEXIL_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXIL_LEAK_CHECKED 1
#endif
#endif

namespace vexil {
namespace sys {

namespace {

#ifdef VEXIL_LEAK_CHECKED
// Marks a loaded library to stay mapped until the process ends, when it is one of the
// system's graphics libraries: libEGL, libGL, libglapi or a Mesa driver ("dri" folder).
int KeepIfGraphics(dl_phdr_info* info, size_t, void*) {
  const std::string path = info->dlpi_name ? info->dlpi_name : "";
  const std::string file = path.substr(path.rfind('/') + 1);
  const bool graphics = path.find("/dri/") != std::string::npos || file.rfind("libEGL", 0) == 0 ||
                        file.rfind("libGL", 0) == 0 || file.rfind("libglapi", 0) == 0;
  if (graphics) dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
  return 0;
}
#endif

// Sanitizer builds only: SDL unloads the GL libraries, and Mesa its driver, when the last GL
// window goes or video stops; what the driver still held then looks leaked, from code the leak
// checker can no longer name, so it could not be told from a leak of ours. Loaded once here and
// kept for the life of the process, they keep what they hold reachable through their own data.
void KeepGlLibrariesForTheLeakChecker() {
#ifdef VEXIL_LEAK_CHECKED
  static const bool kept = [] {
    if (SDL_GL_LoadLibrary(nullptr) != 0) return false;  // no GL on this video driver
    dl_iterate_phdr(KeepIfGraphics, nullptr);
    SDL_GL_UnloadLibrary();
    return true;
  }();
  (void)kept;
#endif
}

}  // namespace

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
  KeepGlLibrariesForTheLeakChecker();
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

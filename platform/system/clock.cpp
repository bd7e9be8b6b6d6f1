// Performance counter and sleep over SDL's timer functions, which need no initialisation.
#include "system/clock.h"

#include <SDL.h>

#ifdef __EMSCRIPTEN__
#include "system/browser.h"
#endif

namespace vexil {
namespace sys {

bool QueryPerformanceFrequency(int64_t* frequency) {
  *frequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
  return *frequency > 0;
}

bool QueryPerformanceCounter(int64_t* counter) {
  *counter = static_cast<int64_t>(SDL_GetPerformanceCounter());
  return true;
}

double CounterToMilliseconds(int64_t start, int64_t end) {
  int64_t frequency = 0;
  if (!QueryPerformanceFrequency(&frequency)) return 0.0;
  return static_cast<double>(end - start) * 1000.0 / static_cast<double>(frequency);
}

void SleepMilliseconds(uint32_t milliseconds) {
#ifdef __EMSCRIPTEN__
  // Waiting in a browser means giving the page its turn.
  (void)milliseconds;
  WaitForBrowserFrame();
#else
  SDL_Delay(milliseconds);
#endif
}

}  // namespace sys
}  // namespace vexil

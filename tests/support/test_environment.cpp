// Linked into every test program: headless SDL drivers unless the caller chose others, so
// a test run opens no window and plays no sound whether it starts from ctest or by hand.
#include <cstdlib>

namespace {

struct HeadlessTestEnvironment {
  HeadlessTestEnvironment() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
};

const HeadlessTestEnvironment kHeadless;

}  // namespace

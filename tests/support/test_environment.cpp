// Linked into every test program: headless SDL drivers unless the caller chose others, so
// a test run opens no window and plays no sound whether it starts from ctest or by hand. In
// sanitizer builds the leak checker takes the tests' options (run_program.h), which name
// tests/lsan.supp, the leaks inside system libraries.
#include <cstdlib>

#include "support/run_program.h"

#if defined(__SANITIZE_ADDRESS__)
#define VEXIL_TEST_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXIL_TEST_LEAK_CHECKED 1
#endif
#endif

#ifdef VEXIL_TEST_LEAK_CHECKED
extern "C" const char* __lsan_default_options() {
  return vexil::test::kLeakCheckOptions;
}
#endif

namespace {

struct HeadlessTestEnvironment {
  HeadlessTestEnvironment() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
};

const HeadlessTestEnvironment kHeadless;

}  // namespace

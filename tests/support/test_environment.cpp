// Linked into every test program: headless SDL drivers unless the caller chose others, so
// a test run opens no window and plays no sound whether it starts from ctest or by hand. In
// sanitizer builds, the leak checker also reads tests/lsan.supp (leaks inside system libraries),
// in the test program and in every program a test starts.
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#define VEXIL_TEST_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VEXIL_TEST_LEAK_CHECKED 1
#endif
#endif

#ifdef VEXIL_TEST_LEAK_CHECKED
extern "C" const char* __lsan_default_options() {
  return "suppressions=" VEXIL_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
#endif

namespace {

struct HeadlessTestEnvironment {
  HeadlessTestEnvironment() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
#ifdef VEXIL_TEST_LEAK_CHECKED
    // The player and tools the tests run are sanitized too; they read options from here.
    const char* given = std::getenv("LSAN_OPTIONS");
    std::string options = given ? given : "";
    if (options.find("suppressions=") == std::string::npos) {
      options = std::string("suppressions=" VEXIL_LSAN_SUPPRESSIONS ":print_suppressions=0") +
                (options.empty() ? "" : ":" + options);
      setenv("LSAN_OPTIONS", options.c_str(), 1);
    }
#endif
  }
};

const HeadlessTestEnvironment kHeadless;

}  // namespace

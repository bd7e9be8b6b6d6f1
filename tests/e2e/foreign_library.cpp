// A shared library that is no plug-in: its initialiser leaves a file in the working folder,
// so a test can tell whether the player ever ran any of its code.
#include <cstdio>

namespace {

struct Marker {
  Marker() {
    if (std::FILE* file = std::fopen("foreign-code-ran", "w")) std::fclose(file);
  }
} g_marker;

}  // namespace

extern "C" __attribute__((visibility("default"))) int NotAPlugIn() {
  return 1;
}

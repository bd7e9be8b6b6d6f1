// vexil-imagegen: draws the bundled demo's pictures from code and writes them as PNG.
//
//   vexil-imagegen PATTERN OUT.png [WIDTH HEIGHT]
//   vexil-imagegen --list
#include <stb/stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "patterns.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vexil-imagegen PATTERN OUT.png [WIDTH HEIGHT]\n"
               "       vexil-imagegen --list\n");
  return 2;
}

bool ParseSize(const char* text, int* size) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 1 || value > 8192) return false;
  *size = static_cast<int>(value);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const imagegen::Pattern& p : imagegen::Patterns()) {
      std::printf("%-10s %4d x %-4d %s\n", p.name, p.defaultWidth, p.defaultHeight, p.description);
    }
    return 0;
  }
  if (argc != 3 && argc != 5) return Usage();
  const imagegen::Pattern* pattern = imagegen::FindPattern(argv[1]);
  if (!pattern) {
    std::fprintf(stderr, "vexil-imagegen: unknown pattern \"%s\" (see --list)\n", argv[1]);
    return 2;
  }
  int width = pattern->defaultWidth, height = pattern->defaultHeight;
  if (argc == 5 && (!ParseSize(argv[3], &width) || !ParseSize(argv[4], &height))) {
    std::fprintf(stderr, "vexil-imagegen: sizes are whole numbers from 1 to 8192\n");
    return 2;
  }
  const std::vector<uint8_t> rgba = imagegen::Render(*pattern, width, height);
  if (!stbi_write_png(argv[2], width, height, 4, rgba.data(), width * 4)) {
    std::fprintf(stderr, "vexil-imagegen: cannot write \"%s\"\n", argv[2]);
    return 1;
  }
  return 0;
}

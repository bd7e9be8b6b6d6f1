// PNG output of capture frames through stb_image_write and zlib.
#include "png_writer.h"

#include <zlib.h>

#include <cstdlib>

namespace {

// stb_image_write's hook for the deflate step: a malloc'ed zlib stream, as stb frees it.
unsigned char* ZlibCompress(unsigned char* data, int length, int* out_length, int level) {
  uLongf size = compressBound(static_cast<uLong>(length));
  auto* out = static_cast<unsigned char*>(std::malloc(size));
  if (!out) return nullptr;
  if (compress2(out, &size, data, static_cast<uLong>(length), level) != Z_OK) {
    std::free(out);
    return nullptr;
  }
  *out_length = static_cast<int>(size);
  return out;
}

}  // namespace

#define STBIW_ZLIB_COMPRESS ZlibCompress
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace vexil {

namespace {
// Rendered pictures are mostly smooth: the "sub" filter with fast deflate keeps files small
// at a fraction of the cost of trying every filter on every row.
constexpr int kPngFilterSub = 1;
constexpr int kZlibLevel = 3;
}  // namespace

bool WritePngRgb(const std::string& path, int width, int height, const uint8_t* rgb) {
  // stb keeps these settings in globals: set them once, before any writer thread reads them.
  static const bool configured = [] {
    stbi_write_png_compression_level = kZlibLevel;
    stbi_write_force_png_filter = kPngFilterSub;
    return true;
  }();
  (void)configured;
  return stbi_write_png(path.c_str(), width, height, 3, rgb, width * 3) != 0;
}

}  // namespace vexil

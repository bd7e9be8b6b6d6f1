// PNG output of capture frames through stb_image_write and zlib.
#include "png_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

namespace {

// Every byte reaches the file or the write fails: a full disk or a file-size limit must not
// leave a truncated picture behind that counts as written.
bool WriteAll(const std::string& path, const unsigned char* bytes, size_t size, std::string* why) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (why) *why = std::strerror(errno);
    return false;
  }
  // Only a regular file that this write left unfinished is removed again, never whatever else
  // the path names (a device such as /dev/full).
  struct stat info {};
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  auto fail = [&](const char* reason) {
    if (why) *why = reason;
    if (regular) unlink(path.c_str());
    return false;
  };
  while (size > 0) {
    const ssize_t done = write(fd, bytes, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      const char* reason = done < 0 ? std::strerror(errno) : "nothing could be written";
      close(fd);
      return fail(reason);
    }
    bytes += done;
    size -= static_cast<size_t>(done);
  }
  if (close(fd) != 0) return fail(std::strerror(errno));
  return true;
}

}  // namespace

bool WritePngRgb(const std::string& path, int width, int height, const uint8_t* rgb,
                 std::string* why) {
  // stb keeps these settings in globals: set them once, before any writer thread reads them.
  static const bool configured = [] {
    stbi_write_png_compression_level = kZlibLevel;
    stbi_write_force_png_filter = kPngFilterSub;
    return true;
  }();
  (void)configured;
  int size = 0;
  unsigned char* png = stbi_write_png_to_mem(rgb, width * 3, width, height, 3, &size);
  if (!png) {
    if (why) *why = "out of memory while encoding the picture";
    return false;
  }
  const bool ok = WriteAll(path, png, static_cast<size_t>(size), why);
  STBIW_FREE(png);
  return ok;
}

}  // namespace vexil

// PNG output of capture frames: the "sub" row filter and libdeflate's zlib stream, written
// as one signature, IHDR, IDAT and IEND.
#include "png_writer.h"

#include <fcntl.h>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace vexil {

namespace {
// Rendered pictures are mostly smooth: the "sub" filter with fast deflate keeps files small
// at a fraction of the cost of trying every filter on every row. libdeflate's fastest level
// gives files slightly smaller than zlib's level 3 did, in far less time.
constexpr int kDeflateLevel = 1;

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

// One compressor per writer thread: making one costs more than a small frame's deflate.
libdeflate_compressor* ThreadCompressor() {
  thread_local std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
      libdeflate_alloc_compressor(kDeflateLevel));
  return compressor.get();
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  const uint8_t bytes[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
  out->insert(out->end(), bytes, bytes + 4);
}

// Appends a chunk: length, type, data, CRC of type and data.
void PutChunk(std::vector<uint8_t>* out, const char type[4], const uint8_t* data, size_t size) {
  Put32(out, static_cast<uint32_t>(size));
  const size_t typeAt = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data, data + size);
  Put32(out, libdeflate_crc32(0, out->data() + typeAt, size + 4));
}

// The whole PNG file of top-down RGB pixels, or false when memory runs out.
bool EncodePng(int width, int height, const uint8_t* rgb, std::vector<uint8_t>* png) {
  libdeflate_compressor* compressor = ThreadCompressor();
  if (!compressor) return false;
  // Each row: the filter type, then every byte minus the same channel of the pixel before.
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> filtered((rowBytes + 1) * height);
  uint8_t* out = filtered.data();
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = rgb + rowBytes * y;
    *out++ = 1;  // sub
    std::memcpy(out, row, rowBytes < 3 ? rowBytes : 3);
    for (size_t i = 3; i < rowBytes; ++i) out[i] = static_cast<uint8_t>(row[i] - row[i - 3]);
    out += rowBytes;
  }
  std::vector<uint8_t> idat(libdeflate_zlib_compress_bound(compressor, filtered.size()));
  const size_t idatSize = libdeflate_zlib_compress(compressor, filtered.data(), filtered.size(),
                                                   idat.data(), idat.size());
  if (idatSize == 0) return false;

  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  png->clear();
  png->reserve(idatSize + 64);
  png->insert(png->end(), kSignature, kSignature + 8);
  uint8_t header[13] = {};
  for (int i = 0; i < 4; ++i) {
    header[i] = static_cast<uint8_t>(static_cast<uint32_t>(width) >> (24 - 8 * i));
    header[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (24 - 8 * i));
  }
  header[8] = 8;  // bits per channel
  header[9] = 2;  // RGB; compression, filter method and interlace stay 0
  PutChunk(png, "IHDR", header, sizeof header);
  PutChunk(png, "IDAT", idat.data(), idatSize);
  PutChunk(png, "IEND", nullptr, 0);
  return true;
}

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
  std::vector<uint8_t> png;
  if (width <= 0 || height <= 0 || !EncodePng(width, height, rgb, &png)) {
    if (why) *why = "out of memory while encoding the picture";
    return false;
  }
  return WriteAll(path, png.data(), png.size(), why);
}

}  // namespace vexil

// MSZIP decompression of .x files with zlib, bounded by the mesh file limit so that a small
// compressed file cannot expand into gigabytes.
#include "d3dx9/xfile_mszip.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace d3dx {
namespace {

constexpr size_t kHeaderBytes = 16;
constexpr size_t kBlockHeaderBytes = 4;  // two 16-bit sizes
constexpr size_t kMaxBlockOutput = 32768 + 1024;
constexpr size_t kDictionaryBytes = 32768;

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

}  // namespace

bool InflateXFile(const unsigned char* data, size_t size, uint64_t maxBytes,
                  std::vector<unsigned char>* out, std::string* error) {
  out->clear();
  if (size < kHeaderBytes + 4) return Fail(error, "compressed .x file cut short");
  out->insert(out->end(), data, data + kHeaderBytes);
  std::memcpy(out->data() + 8, std::memcmp(data + 8, "tzip", 4) == 0 ? "txt " : "bin ", 4);
  size_t pos = kHeaderBytes + 4;  // past the uncompressed size, which the blocks decide anyway
  std::vector<unsigned char> block(kMaxBlockOutput);
  while (pos < size) {
    if (size - pos < kBlockHeaderBytes + 2 ||
        std::memcmp(data + pos + kBlockHeaderBytes, "CK", 2) != 0)
      return Fail(error,
                  "broken compressed .x data (no MSZIP block at byte " + std::to_string(pos) + ")");
    pos += kBlockHeaderBytes + 2;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return Fail(error, "cannot start decompression");
    // Each block may copy from the 32 KB of output before it.
    const size_t produced = out->size() - kHeaderBytes;
    const size_t history = std::min(produced, kDictionaryBytes);
    if (history > 0)
      inflateSetDictionary(&z, out->data() + out->size() - history, static_cast<uInt>(history));
    z.next_in = const_cast<Bytef*>(data + pos);
    z.avail_in = static_cast<uInt>(std::min<size_t>(size - pos, 0xffffffffu));
    z.next_out = block.data();
    z.avail_out = static_cast<uInt>(block.size());
    const int result = inflate(&z, Z_FINISH);
    const size_t got = block.size() - z.avail_out;
    const size_t used = z.avail_in;
    inflateEnd(&z);
    if (result != Z_STREAM_END)
      return Fail(error, "broken compressed .x data (a block does not inflate)");
    if (out->size() + got > maxBytes)
      return Fail(error, "the file uncompresses to more than the limit of " +
                             std::to_string(maxBytes) + " bytes");
    out->insert(out->end(), block.data(), block.data() + got);
    pos = size - used;
  }
  if (out->size() == kHeaderBytes) return Fail(error, "compressed .x file cut short");
  return true;
}

}  // namespace d3dx

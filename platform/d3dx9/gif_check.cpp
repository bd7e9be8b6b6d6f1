// A walk of a GIF's blocks and of its first picture's LZW codes, as the single-header decoder
// reads them, counting the pixels the codes stand for. That decoder expands every code through
// its chain of prefixes (up to thousands of steps) even after the picture is full, so a small
// picture with megabytes of long codes would keep it busy for minutes; a stream that stands for
// more pixels than the picture holds is refused before it gets there.
#include <algorithm>
#include <cstring>
#include <vector>

#include "d3dx9/image_codecs.h"

namespace d3dx {
namespace {

// The decoder's reading position: reads past the end give 0, as its own do.
struct Cursor {
  const unsigned char* d;
  size_t n;
  size_t pos = 0;
  uint32_t Get8() { return pos < n ? d[pos++] : 0; }
  uint32_t Get16() {
    const uint32_t low = Get8();
    return low | (Get8() << 8);
  }
  void Skip(size_t count) { pos = count > n - std::min(pos, n) ? n : pos + count; }
};

// Pixels the LZW stream at the cursor stands for, up to and a little past `limit`.
uint64_t CountLzwPixels(Cursor* c, uint64_t limit) {
  const uint32_t lzw_cs = c->Get8();
  if (lzw_cs > 12) return 0;  // the decoder refuses this itself
  const int32_t clear = 1 << lzw_cs;
  // The length of the string each code stands for, as the decoder builds its table.
  std::vector<uint32_t> length(8192, 1);
  int32_t codesize = lzw_cs + 1, codemask = (1 << codesize) - 1, avail = clear + 2, oldcode = -1;
  int32_t bits = 0, valid_bits = 0, len = 0;
  bool first = true;
  uint64_t pixels = 0;
  for (;;) {
    if (valid_bits < codesize) {
      if (len == 0) {
        len = static_cast<int32_t>(c->Get8());
        if (len == 0) return pixels;
      }
      --len;
      bits |= static_cast<int32_t>(c->Get8()) << valid_bits;
      valid_bits += 8;
      continue;
    }
    const int32_t code = bits & codemask;
    bits >>= codesize;
    valid_bits -= codesize;
    if (code == clear) {
      codesize = lzw_cs + 1;
      codemask = (1 << codesize) - 1;
      avail = clear + 2;
      oldcode = -1;
      first = false;
    } else if (code == clear + 1 || code > avail || first) {
      return pixels;  // the end, or an error the decoder reports at once
    } else {
      if (oldcode >= 0) {
        if (avail + 1 > 8192) return pixels;
        length[avail++] = length[oldcode] + 1;
      } else if (code == avail) {
        return pixels;
      }
      pixels += length[code];
      if (pixels > limit) return pixels;
      if ((avail & codemask) == 0 && avail <= 0x0FFF) {
        ++codesize;
        codemask = (1 << codesize) - 1;
      }
      oldcode = code;
    }
  }
}

}  // namespace

bool IsGif(const unsigned char* data, size_t size) {
  return size >= 4 && std::memcmp(data, "GIF8", 4) == 0;
}

std::string CheckGifData(const unsigned char* data, size_t size) {
  Cursor c{data, size};
  c.Skip(10);  // signature, version, screen size
  const uint32_t flags = c.Get8();
  c.Skip(2);
  if (flags & 0x80) c.Skip(3u * (2u << (flags & 7)));
  while (c.pos < c.n) {
    switch (c.Get8()) {
      case 0x2C: {
        c.Skip(4);
        const uint64_t width = c.Get16(), height = c.Get16();
        const uint32_t local = c.Get8();
        if (local & 0x80) c.Skip(3u * (2u << (local & 7)));
        // A little room for an encoder that finishes its last code past the picture's end.
        const uint64_t limit = width * height + 4096;
        if (CountLzwPixels(&c, limit) > limit)
          return "the GIF's picture data stands for more pixels than its " + std::to_string(width) +
                 " x " + std::to_string(height) + " pixels";
        return {};
      }
      case 0x21: {
        if (c.Get8() == 0xF9) {
          const uint32_t len = c.Get8();
          if (len != 4) {
            c.Skip(len);
            break;
          }
          c.Skip(4);
        }
        while (const uint32_t len = c.Get8()) c.Skip(len);
        break;
      }
      default:
        return {};  // the end of the stream, or something the decoder refuses itself
    }
  }
  return {};
}

}  // namespace d3dx

// Pictures whose data stalls a decoder or lies about itself, one per format the single-header
// decoder used to read, shared by the decoder's unit tests and the player's end-to-end tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace stalling {

// Found by fuzzing: a Radiance HDR file of 8 x 8 pixels whose run-length data holds a run of
// length 0 after a header line of NUL bytes; it kept the decoder in its scan-line loop for ever.
inline std::string HdrWithRunOfZero() {
  static const unsigned char kBytes[] = {
      0x23, 0x3f, 0x52, 0x41, 0x44, 0x49, 0x41, 0x4e, 0x43, 0x45, 0x0a, 0x23, 0x20, 0x57, 0x72,
      0x69, 0x74, 0x74, 0x65, 0x6e, 0x20, 0x62, 0x79, 0x20, 0x73, 0x74, 0x62, 0x50, 0x4c, 0x54,
      0x45, 0x5f, 0x69, 0x6d, 0x61, 0x67, 0x65, 0x5f, 0x77, 0x72, 0x69, 0x1f, 0x01, 0x00, 0x00,
      0x0a, 0x46, 0x4f, 0x52, 0x4d, 0x41, 0x54, 0x3d, 0x33, 0x32, 0x2d, 0x62, 0x69, 0x74, 0x5f,
      0x72, 0x6c, 0x65, 0x5f, 0x72, 0x67, 0x62, 0x65, 0x0a, 0x27, 0x58, 0x50, 0x4f, 0x53, 0x55,
      0x52, 0x45, 0x3d, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x30, 0x2e,
      0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x30, 0x0a, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x0a, 0x2d, 0x59, 0x20, 0x38, 0x20, 0x2b, 0x58, 0x20, 0x38, 0x0a, 0x02, 0x02,
      0x00, 0x08, 0x08, 0x7e, 0x84, 0x8a, 0x08, 0xf4, 0xd0, 0xc4, 0xe8, 0x88, 0x82};
  return std::string(reinterpret_cast<const char*>(kBytes), sizeof kBytes);
}

// A GIF of width x height pixels whose LZW codes grow one chain of prefixes to the longest
// the code table allows, `cycles` times over: each code stands for more pixels than the last,
// and the decoder expands every one of them in full.
inline std::string GifOfLongChains(uint16_t width, uint16_t height, int cycles) {
  std::string gif = "GIF89a";
  gif += static_cast<char>(width & 0xff);
  gif += static_cast<char>(width >> 8);
  gif += static_cast<char>(height & 0xff);
  gif += static_cast<char>(height >> 8);
  gif += std::string("\x80\x00\x00", 3);              // a global table of two colours
  gif += std::string("\x00\x00\x00\xff\xff\xff", 6);  // black, white
  gif += std::string("\x2c\0\0\0\0", 5);              // the picture at 0, 0 ...
  gif += static_cast<char>(width & 0xff);
  gif += static_cast<char>(width >> 8);
  gif += static_cast<char>(height & 0xff);
  gif += static_cast<char>(height >> 8);
  gif += std::string("\x00\x02", 2);  // ... no table of its own; LZW codes start at 3 bits
  // The codes, packed as the decoder unpacks them.
  const int clear = 4;
  std::vector<uint8_t> data;
  uint32_t bits = 0, count = 0;
  int codesize = 3, avail = clear + 2, oldcode = -1;
  auto emit = [&](int code) {
    bits |= static_cast<uint32_t>(code) << count;
    count += static_cast<uint32_t>(codesize);
    while (count >= 8) {
      data.push_back(static_cast<uint8_t>(bits & 0xff));
      bits >>= 8;
      count -= 8;
    }
    if (code == clear) {
      codesize = 3;
      avail = clear + 2;
      oldcode = -1;
      return;
    }
    if (oldcode >= 0) ++avail;
    if ((avail & ((1 << codesize) - 1)) == 0 && avail <= 0x0fff) ++codesize;
    oldcode = code;
  };
  for (int cycle = 0; cycle < cycles; ++cycle) {
    emit(clear);
    emit(0);
    while (avail < 4095) emit(avail);  // the code about to be made: the chain so far, and one
  }
  emit(clear + 1);
  if (count > 0) data.push_back(static_cast<uint8_t>(bits & 0xff));
  for (size_t at = 0; at < data.size(); at += 255) {
    const size_t block = std::min<size_t>(255, data.size() - at);
    gif += static_cast<char>(block);
    gif.append(reinterpret_cast<const char*>(data.data() + at), block);
  }
  gif += std::string("\x00\x3b", 2);
  return gif;
}

// A run-length TGA of 64 x 64 pixels with one packet of data where 32 are needed.
inline std::string TgaWithoutItsPackets() {
  std::string tga(18, '\0');
  tga[2] = 10;  // run-length true colour
  tga[12] = 64, tga[14] = 64;
  tga[16] = 24;
  return tga + std::string("\xff\x10\x20\x30", 4);
}

// A BMP header claiming 64 x 64 pixels at 24 bits with no pixels after it.
inline std::string BmpWithoutPixels() {
  std::string bmp = std::string("BM", 2) + std::string(12, '\0');
  bmp[10] = 54;
  std::string dib(40, '\0');
  dib[0] = 40, dib[4] = 64, dib[8] = 64, dib[12] = 1, dib[14] = 24;
  return bmp + dib + std::string(16, '\x7f');
}

// A PSD of 4 x 4 pixels whose compression field names no method the format has.
inline std::string PsdOfUnknownCompression() {
  std::string psd = "8BPS";
  psd += std::string("\0\x01", 2) + std::string(6, '\0') + std::string("\0\x03", 2);
  psd += std::string("\0\0\0\x04\0\0\0\x04\0\x08\0\x03", 12);
  psd += std::string(12, '\0');
  psd += std::string("\0\x07", 2);
  return psd + std::string(48, '\x55');
}

// The start of a Softimage PIC file: its magic number and "PICT" at offset 88.
inline std::string SoftimagePic() {
  std::string pic(104, '\0');
  pic[0] = '\x53', pic[1] = '\x80', pic[2] = '\xf6', pic[3] = '\x34';
  pic.replace(88, 4, "PICT");
  pic[92] = 0, pic[93] = 8, pic[94] = 0, pic[95] = 8;
  return pic;
}

}  // namespace stalling

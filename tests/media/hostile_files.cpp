// Hostile media files for the tests, byte by byte.
#include "hostile_files.h"

namespace hostile {
namespace {

void Be32(std::string* b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b->push_back(static_cast<char>((v >> s) & 0xff));
}
void Le16(std::string* b, uint32_t v) {
  b->push_back(static_cast<char>(v & 0xff));
  b->push_back(static_cast<char>((v >> 8) & 0xff));
}
void Le32(std::string* b, uint32_t v) {
  Le16(b, v & 0xffff);
  Le16(b, v >> 16);
}

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xffffffffu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PngChunk(std::string* png, const std::string& typeAndData) {
  Be32(png, static_cast<uint32_t>(typeAndData.size() - 4));
  *png += typeAndData;
  Be32(png, Crc32(typeAndData));
}

}  // namespace

std::string PngHeader(uint32_t width, uint32_t height) {
  std::string png = "\x89PNG\r\n\x1a\n";
  std::string ihdr = "IHDR";
  Be32(&ihdr, width);
  Be32(&ihdr, height);
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no interlace
  PngChunk(&png, ihdr);
  PngChunk(&png, "IDAT\x78\x9c");  // the start of a zlib stream, then nothing
  return png;
}

std::string JpegHeader(uint32_t width, uint32_t height) {
  std::string j = "\xff\xd8\xff\xc0";
  j += std::string("\x00\x11\x08", 3);
  j.push_back(static_cast<char>(height >> 8));
  j.push_back(static_cast<char>(height & 0xff));
  j.push_back(static_cast<char>(width >> 8));
  j.push_back(static_cast<char>(width & 0xff));
  j += std::string("\x03\x01\x22\x00\x02\x11\x00\x03\x11\x00", 10);
  j += std::string("\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00", 14);
  return j;
}

std::string RleTga(uint32_t width, uint32_t height) {
  std::string tga(2, '\0');
  tga.push_back(10);  // run-length true colour
  tga += std::string(9, '\0');
  Le16(&tga, width);
  Le16(&tga, height);
  tga.push_back(32);
  tga.push_back(8);
  tga += "\xff\x10\x20\x30\x40";  // 128 pixels of one colour
  return tga;
}

std::string DdsHeaderOnly(uint32_t width, uint32_t height) {
  std::string dds = "DDS ";
  Le32(&dds, 124);
  Le32(&dds, 0x100F);
  Le32(&dds, height);
  Le32(&dds, width);
  dds += std::string(4 * 3 + 4 * 11, '\0');  // pitch, depth, mips, reserved
  Le32(&dds, 32);
  Le32(&dds, 0x41);  // RGB with alpha
  Le32(&dds, 0);
  Le32(&dds, 32);
  Le32(&dds, 0xff0000);
  Le32(&dds, 0xff00);
  Le32(&dds, 0xff);
  Le32(&dds, 0xff000000u);
  dds += std::string(20, '\0');
  return dds;
}

std::string BmpHeaderOnly(uint32_t width, uint32_t height) {
  std::string b = "BM";
  Le32(&b, 54);
  Le32(&b, 0);
  Le32(&b, 54);
  Le32(&b, 40);
  Le32(&b, width);
  Le32(&b, height);
  Le16(&b, 1);
  Le16(&b, 24);
  b += std::string(24, '\0');
  return b;
}

std::string Wav(uint32_t rate, uint32_t channels, uint32_t frames) {
  const uint32_t dataBytes = frames * channels * 2;
  std::string w = "RIFF";
  Le32(&w, 36 + dataBytes);
  w += "WAVEfmt ";
  Le32(&w, 16);
  Le16(&w, 1);
  Le16(&w, channels);
  Le32(&w, rate);
  Le32(&w, rate * channels * 2);
  Le16(&w, channels * 2);
  Le16(&w, 16);
  w += "data";
  Le32(&w, dataBytes);
  for (uint32_t i = 0; i < frames * channels; ++i) Le16(&w, (i * 37) & 0x7fff);
  return w;
}

}  // namespace hostile

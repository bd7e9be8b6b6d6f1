// Pictures as an attacker would make them: headers that lie about their size, files too short
// for what they claim, 16-bit PNM, and paths that are not files at all. Each must be refused
// with a reason (or decoded correctly), quickly and without large allocations.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "d3dx9/file_read.h"
#include "d3dx9/image.h"
#include "d3dx9/media_limits.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::string;

void Be32(Bytes* b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b->push_back(static_cast<char>((v >> s) & 0xff));
}
void Le16(Bytes* b, uint32_t v) {
  b->push_back(static_cast<char>(v & 0xff));
  b->push_back(static_cast<char>((v >> 8) & 0xff));
}
void Le32(Bytes* b, uint32_t v) {
  Le16(b, v & 0xffff);
  Le16(b, v >> 16);
}

uint32_t Crc32(const Bytes& data) {
  uint32_t crc = 0xffffffffu;
  for (unsigned char c : data) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// A PNG signature and IHDR chunk (valid CRC) claiming width x height RGBA, and nothing else.
Bytes PngHeader(uint32_t width, uint32_t height) {
  Bytes png = "\x89PNG\r\n\x1a\n";
  Bytes chunk = "IHDR";
  Be32(&chunk, width);
  Be32(&chunk, height);
  chunk += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no interlace
  Be32(&png, 13);
  png += chunk;
  Be32(&png, Crc32(chunk));
  const Bytes idat = "IDAT\x78\x9c";  // the start of a zlib stream, then nothing
  Be32(&png, 2);
  png += idat;
  Be32(&png, Crc32(idat));
  return png;
}

// A run-length TGA header claiming width x height 32-bit pixels, with one packet of data.
Bytes RleTga(uint32_t width, uint32_t height) {
  Bytes tga(2, '\0');
  tga.push_back(10);  // run-length true colour
  tga += Bytes(9, '\0');
  Le16(&tga, width);
  Le16(&tga, height);
  tga.push_back(32);
  tga.push_back(8);
  tga += "\xff\x10\x20\x30\x40";  // 128 pixels of one colour
  return tga;
}

// A DDS header for width x height A8R8G8B8 with no pixel data behind it.
Bytes DdsHeaderOnly(uint32_t width, uint32_t height) {
  Bytes dds = "DDS ";
  Le32(&dds, 124);
  Le32(&dds, 0x100F);
  Le32(&dds, height);
  Le32(&dds, width);
  dds += Bytes(4 * 3 + 4 * 11, '\0');  // pitch, depth, mips, reserved
  Le32(&dds, 32);
  Le32(&dds, 0x41);  // RGB with alpha
  Le32(&dds, 0);
  Le32(&dds, 32);
  Le32(&dds, 0xff0000);
  Le32(&dds, 0xff00);
  Le32(&dds, 0xff);
  Le32(&dds, 0xff000000u);
  dds += Bytes(20, '\0');
  return dds;
}

// A baseline JPEG frame header claiming width x height, then the start of a scan.
Bytes JpegHeader(uint32_t width, uint32_t height) {
  Bytes j = "\xff\xd8";
  j += "\xff\xc0";
  Be32(&j, 0);  // placeholder, fixed below
  j.resize(j.size() - 4);
  j += std::string("\x00\x11\x08", 3);
  j.push_back(static_cast<char>(height >> 8));
  j.push_back(static_cast<char>(height & 0xff));
  j.push_back(static_cast<char>(width >> 8));
  j.push_back(static_cast<char>(width & 0xff));
  j += std::string("\x03\x01\x22\x00\x02\x11\x00\x03\x11\x00", 10);
  j += std::string("\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00", 14);
  return j;
}

struct Case {
  const char* name;
  Bytes bytes;
  const char* reason;  // part of the error text
};

TEST(HostilePictures, LyingAndOversizedHeadersAreRefusedBeforeDecoding) {
  const std::vector<Case> cases = {
      {"PNG claiming 20000 x 20000", PngHeader(20000, 20000), "limit of 16384 pixels a side"},
      {"PNG claiming 16384 x 16384", PngHeader(16384, 16384), "more than the limit"},
      {"PNG claiming 0 x 5", PngHeader(0, 5), "PNG"},
      {"JPEG claiming 20000 x 20000", JpegHeader(20000, 20000), "limit of 16384"},
      {"JPEG claiming 16384 x 16384", JpegHeader(16384, 16384), "more than the limit"},
      {"run-length TGA claiming 16384 x 16384", RleTga(16384, 16384), "more than the limit"},
      {"run-length TGA claiming 8000 x 8000", RleTga(8000, 8000), "too short"},
      {"DDS claiming 16384 x 16384", DdsHeaderOnly(16384, 16384), "more than the limit"},
      {"DDS with no data", DdsHeaderOnly(8192, 8192), "truncated DDS data"},
      {"16-bit PGM without its data", "P5 4000 4000 65535\n\x01\x02", "too short"},
      {"BMP claiming 8000 x 8000",
       [] {
         Bytes b = "BM";
         Le32(&b, 54);
         Le32(&b, 0);
         Le32(&b, 54);
         Le32(&b, 40);
         Le32(&b, 8000);
         Le32(&b, 8000);
         Le16(&b, 1);
         Le16(&b, 24);
         b += Bytes(24, '\0');
         return b;
       }(),
       "too short"},
      {"text under a picture's name", "this is not a picture at all", "not a picture"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    d3dx::Image image;
    std::string error;
    EXPECT_TRUE(
        FAILED(d3dx::DecodeImageMemory(c.bytes.data(), c.bytes.size(), &image, nullptr, &error)));
    EXPECT_NE(std::string::npos, error.find(c.reason)) << "error: " << error;
    EXPECT_TRUE(image.argb.empty());
  }
}

TEST(HostilePictures, SixteenBitPnmDecodesWithinItsBuffer) {
  // 2 x 1 grey at 16 bits: the high byte is what remains at 8 bits.
  const Bytes pgm = std::string("P5 2 1 65535\n\x12\x34\xab\xcd", 17);
  d3dx::Image image;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::DecodeImageMemory(pgm.data(), pgm.size(), &image, nullptr, &error))
      << error;
  ASSERT_EQ(2u, image.width);
  EXPECT_EQ(0xFF121212u, image.At(0, 0));
  EXPECT_EQ(0xFFABABABu, image.At(1, 0));

  const Bytes ppm = std::string("P6 1 1 65535\n\x10\x00\x20\x00\x30\x00", 19);
  ASSERT_EQ(S_OK, d3dx::DecodeImageMemory(ppm.data(), ppm.size(), &image, nullptr, &error))
      << error;
  EXPECT_EQ(0xFF102030u, image.At(0, 0));
}

TEST(HostilePictures, PathsThatAreNotFilesAreRefusedAtOnce) {
  char pattern[] = "/tmp/vexil-hostile-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string fifo = dir + "/pipe.png";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/dev/zero", "character device"},
      {"/dev/urandom", "character device"},
      {fifo, "named pipe"},
      {dir, "folder"},
      {dir + "/missing.png", "file not found"},
  };
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    d3dx::Image image;
    std::string error;
    EXPECT_TRUE(FAILED(d3dx::DecodeImageFile(path, &image, nullptr, &error)));
    EXPECT_NE(std::string::npos, error.find(reason)) << "error: " << error;
  }
  fs::remove_all(dir);
}

TEST(HostilePictures, FileReadsStopAtTheLimit) {
  char pattern[] = "/tmp/vexil-hostile-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string path = dir + "/big.bin";
  std::ofstream(path) << std::string(1000, 'x');
  std::vector<unsigned char> bytes;
  std::string error;
  EXPECT_EQ(d3dx::FileReadResult::kRefused, d3dx::ReadRegularFile(path, 999, &bytes, &error));
  EXPECT_EQ("file of 1000 bytes is larger than the limit of 999 bytes", error);
  EXPECT_EQ(d3dx::FileReadResult::kOk, d3dx::ReadRegularFile(path, 1000, &bytes, &error));
  EXPECT_EQ(1000u, bytes.size());
  fs::remove_all(dir);
}

TEST(HostilePictures, TextureSizeLimits) {
  EXPECT_EQ("", d3dx::CheckTextureSize(16384, 4096));
  EXPECT_EQ("", d3dx::CheckTextureSize(8192, 8192));
  EXPECT_NE("", d3dx::CheckTextureSize(16384, 4097)) << "past the pixel count";
  EXPECT_NE("", d3dx::CheckTextureSize(16385, 1)) << "past the side";
  EXPECT_NE("", d3dx::CheckTextureSize(0, 1));
}

}  // namespace

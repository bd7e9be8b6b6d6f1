// Pictures as an attacker would make them: headers that lie about their size, files too short
// for what they claim, 16-bit PNM, and paths that are not files at all. Each must be refused
// with a reason (or decoded correctly), quickly and without large allocations.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "d3dx9/file_read.h"
#include "d3dx9/image.h"
#include "d3dx9/media_limits.h"
#include "hostile_files.h"
#include "support/scratch_dir.h"

namespace {

using Bytes = std::string;
using hostile::BmpHeaderOnly;
using hostile::DdsHeaderOnly;
using hostile::JpegHeader;
using hostile::PngHeader;
using hostile::RleTga;

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
      {"BMP claiming 8000 x 8000", BmpHeaderOnly(8000, 8000), "too short"},
      {"text under a picture's name", "this is not a picture at all", "not a picture"},
      // Found by fuzzing: a TGA header one byte short claiming 7200 x 8224 pixels decoded
      // 59 million pixels out of nothing.
      // Found by fuzzing: a BMP header ending inside the fields the size check reads.
      {"BMP header cut short",
       std::string("BMz\x01\0\0\0\0\0\0z\0\0\0l\0\0\0\x08\0\0\0\x08\0\0\0\x01\0 \0\0\0", 32),
       "too short"},
      // Found by fuzzing: a BMP of an unknown compression read as 2048 x 9992 plain rows.
      {"BMP of an unknown compression without its pixels",
       std::string("\x42\x4d\xf6\x7e\x00\x00\x00\x00\x00\x00\xbe\x00\x00\x00\x28\x00"
                   "\x00\x00\x00\x08\x00\x00\x08\x27\x00\x00\x01\x00\x04\x00\x18\x00"
                   "\xff\xff\x00\x00\x00\x00\x00\x00\x00\x00\xe0\x00\x00\x00\x00\x21",
                   48),
       "too short"},
      // Found by fuzzing: a run of length 0 in an HDR scan line kept the decoder in a loop.
      {"HDR with a run of length 0",
       std::string("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 8\n\x02\x02\x00\x08\x00", 50),
       "HDR picture: a run of length 0"},
      {"HDR cut short after a scan line header",
       std::string("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 8\n\x02\x02\x00\x08", 49),
       "HDR picture: the data ends early"},
      {"TGA header cut short", std::string("\x00\x00\x03  DX  =$  \x1c   ", 17), "too short"},
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

TEST(HostilePictures, SmallGifAndPsdFilesPassTheSizeCheck) {
  // Neither has a file-format name of its own; the size check must not take them for TGA.
  const Bytes gif(
      "GIF89a\x02\x00\x02\x00\x91\x00\x00\xff\x00\xff\x00\x00\x00\xff\xff\xff\x00\x00\xff\x21"
      "\xf9\x04\x01\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x03\x44\x34"
      "\x05\x00\x3b",
      50);
  d3dx::Image image;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::DecodeImageMemory(gif.data(), gif.size(), &image, nullptr, &error))
      << error;
  EXPECT_EQ(2u, image.width);
  EXPECT_EQ(0u, image.At(0, 0) >> 24) << "colour 0 is the transparent one";
}

TEST(HostilePictures, APsdWhoseAlphaDefeatsTheMatteRemovalStillDecodes) {
  // Found by fuzzing: a four-channel PSD whose colours lie below what its alpha allows drove the
  // decoder's white-matte removal to convert out-of-range floats to bytes (a sanitizer report).
  const Bytes psd(
      "\x38\x42\x50\x53\x00\x01\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00\x04\x00\x00\x00\x04\x00"
      "\x08"
      "\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x0a\x0f\x14\x19\x1e"
      "\x23"
      "\x28\x2d\x46\x4b\x50\x55\x5a\x5f\x64\x69\x6e\x73\x78\x7d\x82\x87\x8c\x46\x4f\x52\x4d\x41\x54"
      "\x3d"
      "\x33\x32\x91\x96\x9b\xa0\xa5\xaa\xaf\xb4\xb9\xbe\xc3\xc8\xcd\xd2\xd7\xdc\xe1\xe6\xeb",
      93);
  d3dx::Image image;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::DecodeImageMemory(psd.data(), psd.size(), &image, nullptr, &error))
      << error;
  EXPECT_EQ(4u, image.width);
  EXPECT_EQ(4u, image.height);
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
  vexil::test::ScratchDir scratch;
  const std::string& dir = scratch.path();
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
}

TEST(HostilePictures, FileReadsStopAtTheLimit) {
  vexil::test::ScratchDir scratch;
  const std::string path = scratch.File("big.bin");
  std::ofstream(path) << std::string(1000, 'x');
  std::vector<unsigned char> bytes;
  std::string error;
  EXPECT_EQ(d3dx::FileReadResult::kRefused, d3dx::ReadRegularFile(path, 999, &bytes, &error));
  EXPECT_EQ("file of 1000 bytes is larger than the limit of 999 bytes", error);
  EXPECT_EQ(d3dx::FileReadResult::kOk, d3dx::ReadRegularFile(path, 1000, &bytes, &error));
  EXPECT_EQ(1000u, bytes.size());
}

TEST(HostilePictures, TextureSizeLimits) {
  EXPECT_EQ("", d3dx::CheckTextureSize(16384, 4096));
  EXPECT_EQ("", d3dx::CheckTextureSize(8192, 8192));
  EXPECT_NE("", d3dx::CheckTextureSize(16384, 4097)) << "past the pixel count";
  EXPECT_NE("", d3dx::CheckTextureSize(16385, 1)) << "past the side";
  EXPECT_NE("", d3dx::CheckTextureSize(0, 1));
}

}  // namespace

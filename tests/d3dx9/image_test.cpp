// Image decoding, colour keying, resampling and mip levels of the texture loader, and file
// names written the Windows way, checked without any device.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "d3dx9/d3dx9tex.h"
#include "d3dx9/image.h"
#include "support/picture.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

using vexil::test::ScratchDir;

// Writes an RGBA (or RGB) PNG from rows of bytes.
void WritePng(const std::string& path, int w, int h, int channels,
              const std::vector<unsigned char>& px) {
  ASSERT_TRUE(vexil::test::WritePng(path, px, w, h, channels));
}

TEST(D3DXImageDecode, PngPixelsBecomeA8R8G8B8) {
  ScratchDir dir;
  // Red opaque, green half-transparent; blue opaque, white transparent.
  WritePng(dir.File("a.png"), 2, 2, 4,
           {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 255, 255, 255, 255, 0});
  d3dx::Image img;
  D3DXIMAGE_INFO info{};
  std::string error;
  ASSERT_EQ(S_OK, d3dx::DecodeImageFile(dir.File("a.png"), &img, &info, &error)) << error;
  ASSERT_EQ(2u, img.width);
  ASSERT_EQ(2u, img.height);
  EXPECT_EQ(0xFFFF0000u, img.At(0, 0)) << "red, top-left";
  EXPECT_EQ(0x8000FF00u, img.At(1, 0)) << "alpha kept in bits 24-31";
  EXPECT_EQ(0xFF0000FFu, img.At(0, 1)) << "row 0 is the top of the picture";
  EXPECT_EQ(0x00FFFFFFu, img.At(1, 1));
  EXPECT_EQ(2u, info.Width);
  EXPECT_EQ(D3DFMT_A8R8G8B8, info.Format);
  EXPECT_EQ(D3DXIFF_PNG, info.ImageFileFormat);
  EXPECT_EQ(1u, info.MipLevels);

  WritePng(dir.File("rgb.png"), 1, 1, 3, {10, 20, 30});
  ASSERT_EQ(S_OK, d3dx::DecodeImageFile(dir.File("rgb.png"), &img, &info, &error));
  EXPECT_EQ(0xFF0A141Eu, img.At(0, 0)) << "files without alpha decode opaque";
  EXPECT_EQ(D3DFMT_X8R8G8B8, info.Format);
}

TEST(D3DXImageDecode, MissingAndCorruptFilesFailClearly) {
  ScratchDir dir;
  d3dx::Image img;
  std::string error;
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            d3dx::DecodeImageFile(dir.File("nope.png"), &img, nullptr, &error));
  EXPECT_FALSE(error.empty());

  std::ofstream(dir.File("bad.png")) << "this is not an image at all";
  EXPECT_EQ(D3DXERR_INVALIDDATA, d3dx::DecodeImageFile(dir.File("bad.png"), &img, nullptr, &error));
  std::ofstream(dir.File("empty.png")).close();
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            d3dx::DecodeImageFile(dir.File("empty.png"), &img, nullptr, &error));

  // A PNG cut short after its header must not crash the decoder.
  WritePng(dir.File("full.png"), 16, 16, 3, std::vector<unsigned char>(16 * 16 * 3, 77));
  std::ifstream in(dir.File("full.png"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::ofstream(dir.File("cut.png"), std::ios::binary) << bytes.substr(0, 40);
  EXPECT_EQ(D3DXERR_INVALIDDATA, d3dx::DecodeImageFile(dir.File("cut.png"), &img, nullptr, &error));
}

TEST(D3DXImageColorKey, MatchesFullArgbOnly) {
  d3dx::Image img;
  img.width = 3;
  img.height = 1;
  img.argb = {0xFFFF00FFu, 0xFFFF00FEu, 0x80FF00FFu};
  d3dx::ApplyColorKey(&img, 0xFFFF00FF);
  EXPECT_EQ(0x00000000u, img.argb[0]) << "opaque magenta becomes transparent black";
  EXPECT_EQ(0xFFFF00FEu, img.argb[1]) << "a near colour stays";
  EXPECT_EQ(0x80FF00FFu, img.argb[2]) << "the key's alpha must match too";

  img.argb = {0xFFFF00FFu};
  img.width = 1;
  d3dx::ApplyColorKey(&img, 0x00FF00FF);
  EXPECT_EQ(0xFFFF00FFu, img.argb[0]) << "a key with alpha 00 does not match an opaque pixel";
  d3dx::ApplyColorKey(&img, 0);
  EXPECT_EQ(0xFFFF00FFu, img.argb[0]) << "key 0 disables keying";
}

TEST(D3DXImageSizes, PowersOfTwoAndMipCounts) {
  EXPECT_EQ(1u, d3dx::RoundUpPow2(1));
  EXPECT_EQ(4u, d3dx::RoundUpPow2(3));
  EXPECT_EQ(64u, d3dx::RoundUpPow2(64));
  EXPECT_EQ(128u, d3dx::RoundUpPow2(65));
  EXPECT_EQ(1024u, d3dx::RoundUpPow2(640));
  EXPECT_EQ(1u, d3dx::FullMipCount(1, 1));
  EXPECT_EQ(9u, d3dx::FullMipCount(256, 128));
  EXPECT_EQ(9u, d3dx::FullMipCount(300, 1)) << "300 150 75 37 18 9 4 2 1";
}

TEST(D3DXImageResample, FiltersKeepFlatAreasAndEnds) {
  d3dx::Image flat;
  flat.width = 3;
  flat.height = 5;
  flat.argb.assign(15, 0xFF336699u);
  for (DWORD filter :
       {D3DX_FILTER_POINT, D3DX_FILTER_LINEAR, D3DX_FILTER_TRIANGLE, D3DX_FILTER_BOX}) {
    d3dx::Image out = d3dx::Resample(flat, 4, 8, filter);
    ASSERT_EQ(32u, out.argb.size());
    for (uint32_t p : out.argb) EXPECT_EQ(0xFF336699u, p) << "filter " << filter;
  }

  d3dx::Image ramp;
  ramp.width = 2;
  ramp.height = 1;
  ramp.argb = {0xFF000000u, 0xFFFFFFFFu};
  d3dx::Image wide = d3dx::Resample(ramp, 4, 1, D3DX_FILTER_TRIANGLE);
  EXPECT_LT(wide.At(0, 0) & 0xff, wide.At(1, 0) & 0xff) << "a ramp stays increasing";
  EXPECT_LT(wide.At(1, 0) & 0xff, wide.At(2, 0) & 0xff);
  EXPECT_LT(wide.At(2, 0) & 0xff, wide.At(3, 0) & 0xff);

  d3dx::Image point = d3dx::Resample(ramp, 4, 1, D3DX_FILTER_POINT);
  EXPECT_EQ((std::vector<uint32_t>{0xFF000000u, 0xFF000000u, 0xFFFFFFFFu, 0xFFFFFFFFu}),
            point.argb);

  d3dx::Image none = d3dx::Resample(ramp, 3, 2, D3DX_FILTER_NONE);
  EXPECT_EQ((std::vector<uint32_t>{0xFF000000u, 0xFFFFFFFFu, 0, 0, 0, 0}), none.argb)
      << "no filter copies the corner and leaves transparent black";
}

TEST(D3DXImageMips, HalveBoxAveragesAndStopsAtOne) {
  d3dx::Image img;
  img.width = 2;
  img.height = 2;
  img.argb = {0xFF000000u, 0xFF000004u, 0x00000008u, 0x0000000Cu};
  d3dx::Image half = d3dx::HalveBox(img);
  ASSERT_EQ(1u, half.width);
  ASSERT_EQ(1u, half.height);
  EXPECT_EQ(0x80000006u, half.argb[0]) << "each channel averaged: alpha 510/4, blue 24/4";

  img.width = 4;
  img.height = 1;
  img.argb = {0xFF0000FFu, 0xFF000001u, 0xFF000010u, 0xFF000030u};
  half = d3dx::HalveBox(img);
  ASSERT_EQ(2u, half.width);
  ASSERT_EQ(1u, half.height) << "a dimension of 1 stays 1";
  EXPECT_EQ(0xFF000080u, half.argb[0]);
  EXPECT_EQ(0xFF000020u, half.argb[1]);
}

TEST(D3DXImageMips, HalveBoxMeansEveryChannelApartAtTheExtremes) {
  // Channels near 255 and near 0 side by side: no channel's sum may spill into another's.
  d3dx::Image img;
  img.width = 8;
  img.height = 6;
  uint32_t seed = 12345;
  for (UINT i = 0; i < img.width * img.height; ++i) {
    seed = seed * 1664525u + 1013904223u;
    const uint32_t pick = seed >> 28;
    img.argb.push_back(pick < 4 ? 0xFFFFFFFFu : pick < 8 ? 0xFF00FF00u : pick < 12 ? seed : 0u);
  }
  const d3dx::Image half = d3dx::HalveBox(img);
  for (UINT y = 0; y < half.height; ++y) {
    for (UINT x = 0; x < half.width; ++x) {
      uint32_t expected = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 2;
        for (UINT dy = 0; dy < 2; ++dy) {
          for (UINT dx = 0; dx < 2; ++dx) sum += (img.At(2 * x + dx, 2 * y + dy) >> shift) & 0xff;
        }
        expected |= (sum / 4) << shift;
      }
      EXPECT_EQ(expected, half.argb[y * half.width + x]) << "pixel " << x << "," << y;
    }
  }
}

// A .dds file: magic, 124-byte header, then the pixel data.
std::vector<unsigned char> Dds(uint32_t w, uint32_t h, uint32_t pixelFlags, const char* fourCC,
                               uint32_t bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a,
                               const std::vector<unsigned char>& data) {
  std::vector<unsigned char> f(128, 0);
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = (v >> (8 * i)) & 0xff;
  };
  std::memcpy(f.data(), "DDS ", 4);
  put(4, 124);
  put(8, 0x1007);
  put(12, h);
  put(16, w);
  put(76, 32);
  put(80, pixelFlags);
  if (fourCC) std::memcpy(&f[84], fourCC, 4);
  put(88, bits);
  put(92, r);
  put(96, g);
  put(100, b);
  put(104, a);
  f.resize(128 + data.size());
  if (!data.empty()) std::memcpy(&f[128], data.data(), data.size());
  return f;
}

d3dx::Image DecodeOk(const std::vector<unsigned char>& bytes, D3DXIMAGE_INFO* info = nullptr) {
  d3dx::Image img;
  std::string error;
  EXPECT_EQ(S_OK, d3dx::DecodeImageMemory(bytes.data(), bytes.size(), &img, info, &error)) << error;
  return img;
}

TEST(D3DXImageDds, Dxt1FourAndThreeColourBlocks) {
  // Red 0xF800 above blue 0x001F: four colours; first row uses indices 0, 1, 2, 3.
  D3DXIMAGE_INFO info{};
  d3dx::Image img = DecodeOk(
      Dds(4, 4, 0x4, "DXT1", 0, 0, 0, 0, 0, {0x00, 0xF8, 0x1F, 0x00, 0xE4, 0, 0, 0}), &info);
  ASSERT_EQ(16u, img.argb.size());
  EXPECT_EQ(0xFFFF0000u, img.At(0, 0));
  EXPECT_EQ(0xFF0000FFu, img.At(1, 0));
  EXPECT_EQ(0xFFAA0055u, img.At(2, 0)) << "two thirds red, one third blue";
  EXPECT_EQ(0xFF5500AAu, img.At(3, 0));
  EXPECT_EQ(0xFFFF0000u, img.At(3, 3));
  EXPECT_EQ(D3DFMT_DXT1, info.Format);
  EXPECT_EQ(D3DXIFF_DDS, info.ImageFileFormat);
  EXPECT_TRUE(d3dx::FormatHasAlpha(info.Format));

  // Blue not above red: three colours and transparent black.
  img = DecodeOk(Dds(4, 4, 0x4, "DXT1", 0, 0, 0, 0, 0, {0x1F, 0x00, 0x00, 0xF8, 0xE4, 0, 0, 0}));
  EXPECT_EQ(0xFF7F007Fu, img.At(2, 0)) << "the halfway colour";
  EXPECT_EQ(0x00000000u, img.At(3, 0)) << "index 3 is transparent black";

  // 5 x 3 needs 2 x 1 blocks; pixels beyond the image are dropped.
  std::vector<unsigned char> blocks(16, 0);
  blocks[0] = 0x00, blocks[1] = 0xF8;  // block 0 red
  blocks[8] = 0xE0, blocks[9] = 0x07;  // block 1 green (0x07E0)
  img = DecodeOk(Dds(5, 3, 0x4, "DXT1", 0, 0, 0, 0, 0, blocks));
  EXPECT_EQ(5u, img.width);
  EXPECT_EQ(0xFFFF0000u, img.At(3, 2));
  EXPECT_EQ(0xFF00FF00u, img.At(4, 2));
}

TEST(D3DXImageDds, Dxt5InterpolatedAlpha) {
  // Alpha 255 and 0 with indices 0, 1, 2 for the first three pixels; colour all red.
  std::vector<unsigned char> block = {255,  0,    0x88, 0,    0, 0, 0, 0,
                                      0x00, 0xF8, 0x00, 0xF8, 0, 0, 0, 0};
  d3dx::Image img = DecodeOk(Dds(4, 4, 0x4, "DXT5", 0, 0, 0, 0, 0, block));
  EXPECT_EQ(0xFFFF0000u, img.At(0, 0));
  EXPECT_EQ(0x00FF0000u, img.At(1, 0));
  EXPECT_EQ(0xDAFF0000u, img.At(2, 0)) << "(6 x 255 + 0) / 7 = 218";
}

TEST(D3DXImageDds, UncompressedMaskFormats) {
  D3DXIMAGE_INFO info{};
  d3dx::Image img = DecodeOk(Dds(2, 1, 0x41, nullptr, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000,
                                 {0x33, 0x22, 0x11, 0x80, 0x66, 0x55, 0x44, 0xFF}),
                             &info);
  EXPECT_EQ(0x80112233u, img.At(0, 0));
  EXPECT_EQ(0xFF445566u, img.At(1, 0));
  EXPECT_EQ(D3DFMT_A8R8G8B8, info.Format);

  img = DecodeOk(Dds(2, 1, 0x40, nullptr, 16, 0xF800, 0x07E0, 0x1F, 0, {0x00, 0xF8, 0x1F, 0x00}),
                 &info);
  EXPECT_EQ(0xFFFF0000u, img.At(0, 0)) << "565 red, opaque without an alpha mask";
  EXPECT_EQ(0xFF0000FFu, img.At(1, 0));
  EXPECT_EQ(D3DFMT_R5G6B5, info.Format);
  EXPECT_FALSE(d3dx::FormatHasAlpha(info.Format));

  img = DecodeOk(Dds(1, 1, 0x20000, nullptr, 8, 0xFF, 0, 0, 0, {0x40}), &info);
  EXPECT_EQ(0xFF404040u, img.At(0, 0)) << "luminance fills red, green and blue";
  EXPECT_EQ(D3DFMT_L8, info.Format);
}

TEST(D3DXImageDds, BrokenFilesAreRejected) {
  d3dx::Image img;
  std::string error;
  std::vector<unsigned char> cut =
      Dds(8, 8, 0x4, "DXT1", 0, 0, 0, 0, 0, std::vector<unsigned char>(24));
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            d3dx::DecodeImageMemory(cut.data(), cut.size(), &img, nullptr, &error))
      << "four blocks needed, three given";
  std::vector<unsigned char> odd =
      Dds(4, 4, 0x4, "ATI2", 0, 0, 0, 0, 0, std::vector<unsigned char>(16));
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            d3dx::DecodeImageMemory(odd.data(), odd.size(), &img, nullptr, &error));
  std::vector<unsigned char> header = Dds(4, 4, 0x4, "DXT1", 0, 0, 0, 0, 0, {});
  header.resize(60);
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            d3dx::DecodeImageMemory(header.data(), header.size(), &img, nullptr, &error));
  std::vector<unsigned char> huge = Dds(1u << 20, 4, 0x4, "DXT1", 0, 0, 0, 0, 0, {});
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            d3dx::DecodeImageMemory(huge.data(), huge.size(), &img, nullptr, &error));
}

TEST(D3DXFilePath, FilesNamedTheWindowsWayAreFound) {
  ScratchDir dir;
  fs::create_directories(dir.File("Data/Textures"));
  WritePng(dir.File("Data/Textures/Wall.PNG"), 3, 1, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9});
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3D_OK,
            D3DXGetImageInfoFromFileA((dir.path() + "\\data\\textures\\wall.png").c_str(), &info))
      << "backslashes and letter case as a Windows demo writes them";
  EXPECT_EQ(3u, info.Width);

  // Relative names are relative to the working directory.
  const fs::path old = fs::current_path();
  fs::current_path(dir.path());
  info = {};
  EXPECT_EQ(D3D_OK, D3DXGetImageInfoFromFileA("DATA\\TEXTURES\\WALL.png", &info));
  EXPECT_EQ(3u, info.Width);
  EXPECT_NE(D3D_OK, D3DXGetImageInfoFromFileA("DATA\\MISSING.png", &info));
  fs::current_path(old);
}

}  // namespace

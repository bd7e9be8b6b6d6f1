// Image decoding, colour keying, resampling and mip levels of the texture loader, and the
// Windows-style path lookup, checked without any device.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "d3dx9/file_path.h"
#include "d3dx9/image.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace fs = std::filesystem;

namespace {

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/vexil-d3dx-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Writes an RGBA (or RGB) PNG from rows of bytes.
void WritePng(const std::string& path, int w, int h, int channels,
              const std::vector<unsigned char>& px) {
  ASSERT_NE(0, stbi_write_png(path.c_str(), w, h, channels, px.data(), w * channels));
}

TEST(D3DXImageDecode, PngPixelsBecomeA8R8G8B8) {
  TempDir dir;
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
  TempDir dir;
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

TEST(D3DXFilePath, WindowsSeparatorsAndLetterCase) {
  TempDir dir;
  fs::create_directories(dir.File("Data/Textures"));
  std::ofstream(dir.File("Data/Textures/Wall.PNG")) << "x";
  EXPECT_EQ(dir.File("Data/Textures/Wall.PNG"),
            d3dx::ResolvePath(dir.File("Data/Textures/Wall.PNG")));
  EXPECT_EQ(dir.File("Data/Textures/Wall.PNG"),
            d3dx::ResolvePath(dir.Path() + "\\data\\textures\\wall.png"));
  EXPECT_EQ(dir.File("Data/Textures/missing.png"),
            d3dx::ResolvePath(dir.Path() + "/Data\\Textures\\missing.png"))
      << "a missing file keeps the slash form for the error message";

  // Relative paths resolve against the working directory.
  const fs::path old = fs::current_path();
  fs::current_path(dir.Path());
  EXPECT_EQ("Data/Textures/Wall.PNG", d3dx::ResolvePath("DATA\\TEXTURES\\WALL.png"));
  fs::current_path(old);
}

}  // namespace

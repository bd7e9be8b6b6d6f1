// Pictures reach a texture with the samples their file stores: no gamma or colour-space
// conversion for PNG's gAMA, sRGB and iCCP chunks or for 16-bit samples (which keep their high
// byte), and CMYK JPEGs turned into RGB plainly. The files are written here with libpng and
// libjpeg, each holding one flat colour.
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "d3dx9/image.h"

namespace {

constexpr int kSide = 4;

struct PngChunks {
  bool gamma = false;
  double gammaValue = 1.0 / 2.2;
  bool srgb = false;
  bool iccp = false;
};

void Append(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void Flush(png_structp) {}

// An RGB PNG of kSide x kSide pixels, every sample `value` (at `depth` bits).
std::vector<unsigned char> FlatPng(int depth, unsigned value, const PngChunks& chunks) {
  std::vector<unsigned char> file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    ADD_FAILURE() << "libpng could not write the test picture";
    return {};
  }
  png_set_write_fn(png, &file, Append, Flush);
  png_set_IHDR(png, info, kSide, kSide, depth, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (chunks.gamma) png_set_gAMA(png, info, chunks.gammaValue);
  if (chunks.srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  if (chunks.iccp) {
    // A profile that claims to be a linear-light one: a converting loader would brighten.
    std::vector<unsigned char> profile(132, 0);
    const unsigned size = 132;
    profile[0] = static_cast<unsigned char>(size >> 24);
    profile[1] = static_cast<unsigned char>(size >> 16);
    profile[2] = static_cast<unsigned char>(size >> 8);
    profile[3] = static_cast<unsigned char>(size);
    std::memcpy(&profile[12], "mntrRGB XYZ ", 12);
    std::memcpy(&profile[36], "acsp", 4);
    // The D50 white every profile names as its connection space's illuminant.
    const unsigned char d50[12] = {0, 0, 0xf6, 0xd6, 0, 1, 0, 0, 0, 0, 0xd3, 0x2d};
    std::memcpy(&profile[68], d50, sizeof d50);
    png_set_iCCP(png, info, "linear", PNG_COMPRESSION_TYPE_BASE, profile.data(), size);
  }
  png_write_info(png, info);
  const int bytes = depth / 8;
  std::vector<unsigned char> row(static_cast<size_t>(kSide) * 3 * bytes);
  for (size_t i = 0; i < row.size(); i += bytes) {
    if (bytes == 2) {
      row[i] = static_cast<unsigned char>(value >> 8);  // PNG stores big-endian samples
      row[i + 1] = static_cast<unsigned char>(value);
    } else {
      row[i] = static_cast<unsigned char>(value);
    }
  }
  for (int y = 0; y < kSide; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return file;
}

uint32_t Grey(unsigned level) {
  return 0xff000000u | (level << 16) | (level << 8) | level;
}

void ExpectEverywhere(const std::vector<unsigned char>& file, uint32_t argb) {
  ASSERT_FALSE(file.empty());
  d3dx::Image image;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::DecodeImageMemory(file.data(), file.size(), &image, nullptr, &error))
      << error;
  ASSERT_EQ(static_cast<UINT>(kSide), image.width);
  ASSERT_EQ(static_cast<UINT>(kSide), image.height);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      ASSERT_EQ(argb, image.At(x, y)) << std::hex << "at " << x << "," << y;
    }
  }
}

TEST(StoredSamples, SixteenBitPngKeepsTheHighByteWithAndWithoutGamma) {
  // A converting loader takes 16 bits without gAMA for linear light: 0x8080 would draw as 186.
  ExpectEverywhere(FlatPng(16, 0x8080, {}), Grey(0x80));
  PngChunks gamma;
  gamma.gamma = true;
  ExpectEverywhere(FlatPng(16, 0x8080, gamma), Grey(0x80));
  // The high byte, not the value rounded to eight bits (0x41).
  ExpectEverywhere(FlatPng(16, 0x40ff, gamma), Grey(0x40));
}

TEST(StoredSamples, ColourChunksOfEightBitPngChangeNothing) {
  PngChunks linear;
  linear.gamma = true;
  linear.gammaValue = 1.0;
  ExpectEverywhere(FlatPng(8, 100, linear), Grey(100));
  PngChunks srgb;
  srgb.srgb = true;
  ExpectEverywhere(FlatPng(8, 100, srgb), Grey(100));
  PngChunks icc;
  icc.iccp = true;
  ExpectEverywhere(FlatPng(8, 100, icc), Grey(100));
}

// A flat CMYK JPEG; `adobe` writes Adobe's marker, whose files store the inks inverted.
std::vector<unsigned char> FlatCmykJpeg(const unsigned char cmyk[4], bool adobe) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = 16;
  cinfo.image_height = 16;
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, JCS_CMYK);
  jpeg_set_quality(&cinfo, 100, TRUE);
  cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(16 * 4);
  for (size_t i = 0; i < row.size(); ++i) row[i] = cmyk[i % 4];
  JSAMPROW rows[1] = {row.data()};
  while (cinfo.next_scanline < cinfo.image_height) jpeg_write_scanlines(&cinfo, rows, 1);
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<unsigned char> file(buffer, buffer + size);
  std::free(buffer);
  return file;
}

void ExpectNear(const std::vector<unsigned char>& file, int r, int g, int b) {
  d3dx::Image image;
  std::string error;
  ASSERT_EQ(S_OK, d3dx::DecodeImageMemory(file.data(), file.size(), &image, nullptr, &error))
      << error;
  const uint32_t p = image.At(8, 8);
  EXPECT_NEAR(r, static_cast<int>((p >> 16) & 0xff), 3);
  EXPECT_NEAR(g, static_cast<int>((p >> 8) & 0xff), 3);
  EXPECT_NEAR(b, static_cast<int>(p & 0xff), 3);
}

TEST(StoredSamples, CmykJpegBecomesRgbPlainlyInvertedOrNot) {
  // Red: no cyan, full magenta and yellow, no black.
  const unsigned char plain[4] = {0, 255, 255, 0};
  ExpectNear(FlatCmykJpeg(plain, false), 255, 0, 0);
  const unsigned char inverted[4] = {255, 0, 0, 255};
  ExpectNear(FlatCmykJpeg(inverted, true), 255, 0, 0);
  // Half black over no colour: mid grey.
  const unsigned char grey[4] = {0, 0, 0, 128};
  ExpectNear(FlatCmykJpeg(grey, false), 127, 127, 127);
}

}  // namespace

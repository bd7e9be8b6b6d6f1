// Pictures in tests: RGBA pixels with a readable comparison, PNG files read and written (the
// tests' one PNG reader), and the comparison of whole frames with a tolerance.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace vexil::test {

struct Rgba {
  int r, g, b, a;
};

inline std::ostream& operator<<(std::ostream& os, const Rgba& c) {
  return os << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

// Each of r, g, b within tolerance of the expected value; streams a message like EXPECT_*.
inline ::testing::AssertionResult RgbNear(const Rgba& expected, const Rgba& actual, int tolerance) {
  if (std::abs(expected.r - actual.r) <= tolerance &&
      std::abs(expected.g - actual.g) <= tolerance &&
      std::abs(expected.b - actual.b) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "expected " << expected << " got " << actual;
}
#define EXPECT_RGB_NEAR(expected, actual, tolerance) \
  EXPECT_TRUE(::vexil::test::RgbNear((expected), (actual), (tolerance)))

// The pixel at (x, y) of top-down RGBA bytes `width` pixels wide.
inline Rgba PixelAt(const std::vector<uint8_t>& rgba, unsigned width, unsigned x, unsigned y) {
  const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

// A top-down RGBA picture.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
  bool ok() const { return width > 0 && height > 0; }
  Rgba At(int x, int y) const { return PixelAt(rgba, static_cast<unsigned>(width), x, y); }
  // 0xRRGGBB of the pixel at (x, y).
  uint32_t Rgb(int x, int y) const {
    const Rgba c = At(x, y);
    return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | uint32_t(c.b);
  }
};

// Share of a frame's pixels (every second one across and down) with some channel above
// `level`: how much of it is not near black. A frame where effects should be but nothing drew
// has almost none.
inline double LitShare(const Picture& frame, int level = 24) {
  long lit = 0, all = 0;
  for (int y = 0; y < frame.height; y += 2) {
    for (int x = 0; x < frame.width; x += 2, ++all) {
      const Rgba c = frame.At(x, y);
      if (c.r > level || c.g > level || c.b > level) ++lit;
    }
  }
  return all ? static_cast<double>(lit) / all : 0.0;
}

// Any PNG as RGBA; not ok() when the file is missing or unreadable.
Picture LoadPng(const std::string& path);
// Writes RGBA (channels 4) or RGB (channels 3) bytes, top row first; false on failure.
bool WritePng(const std::string& path, const std::vector<uint8_t>& pixels, int width, int height,
              int channels = 4);
// Writes a picture whose pixel (x, y) is pixel(x, y) as 0xAARRGGBB.
bool WritePng(const std::string& path, int width, int height,
              const std::function<uint32_t(int x, int y)>& pixel);

// How far a frame is from its reference: a pixel differs when one of r, g, b is more than
// `tolerance` apart; a frame matches when at most `maxDifferentShare` of its pixels differ.
struct FrameDifference {
  bool sameSize = false;
  long differentPixels = 0;
  int largestChannelDifference = 0;
  double share = 0.0;  // differentPixels / all pixels
};
FrameDifference CompareFrames(const Picture& expected, const Picture& actual, int tolerance);

}  // namespace vexil::test

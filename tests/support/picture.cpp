// PNG reading and writing over stb_image, and frame comparison.
#include "support/picture.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>

namespace vexil::test {

Picture LoadPng(const std::string& path) {
  Picture picture;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 4);
  if (!data) {
    picture.width = picture.height = 0;
    return picture;
  }
  picture.rgba.assign(data, data + static_cast<size_t>(picture.width) * picture.height * 4);
  stbi_image_free(data);
  return picture;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& pixels, int width, int height,
              int channels) {
  if (pixels.size() < static_cast<size_t>(width) * height * channels) return false;
  return stbi_write_png(path.c_str(), width, height, channels, pixels.data(), width * channels) !=
         0;
}

bool WritePng(const std::string& path, int width, int height,
              const std::function<uint32_t(int x, int y)>& pixel) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t argb = pixel(x, y);
      uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(argb >> 16);
      p[1] = static_cast<uint8_t>(argb >> 8);
      p[2] = static_cast<uint8_t>(argb);
      p[3] = static_cast<uint8_t>(argb >> 24);
    }
  }
  return WritePng(path, rgba, width, height, 4);
}

FrameDifference CompareFrames(const Picture& expected, const Picture& actual, int tolerance) {
  FrameDifference difference;
  difference.sameSize =
      expected.ok() && expected.width == actual.width && expected.height == actual.height;
  if (!difference.sameSize) return difference;
  const size_t pixels = static_cast<size_t>(expected.width) * expected.height;
  for (size_t i = 0; i < pixels; ++i) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
      largest =
          std::max(largest, std::abs(int(expected.rgba[i * 4 + c]) - int(actual.rgba[i * 4 + c])));
    }
    difference.largestChannelDifference = std::max(difference.largestChannelDifference, largest);
    if (largest > tolerance) ++difference.differentPixels;
  }
  difference.share = static_cast<double>(difference.differentPixels) / static_cast<double>(pixels);
  return difference;
}

}  // namespace vexil::test

// A fixture for effect frames on the OpenGL device (headless): renders demo time, reads the
// back buffer, keeps the frame as PNG beside the test binaries, and compares pixels with the
// values a test computes from the geometry and the camera.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effect_test_support.h"

class GlEffectFrameTest : public ::testing::Test {
 protected:
  explicit GlEffectFrameTest(UINT w = 640, UINT h = 480) : world(true, w, h) {}

  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }

  // Renders demo time t, presents, reads the back buffer and saves it as effects-NAME.png.
  void Frame(float t, const std::string& name) {
    world.timeline.Render(t);
    ASSERT_TRUE(world.ReadBackBuffer(&pixels, &width, &height));
    WritePng(std::string(VEXIL_BIN_DIR) + "/effects-" + name + ".png", pixels, width, height);
  }

  ::testing::AssertionResult Near(int x, int y, int r, int g, int b, int tolerance = 6) const {
    return vexil::test::RgbNear({r, g, b, 255}, PixelAt(pixels, width, x, y), tolerance)
           << " at pixel (" << x << ", " << y << ")";
  }

  Rgba At(int x, int y) const { return PixelAt(pixels, width, x, y); }

  ScratchDir dir{ScratchDir::kEnter};
  EffectWorld world;
  std::vector<uint8_t> pixels;
  UINT width = 0, height = 0;
};

// Where a view-space point lands on a screen of `w` x `h` pixels under D3DX's
// PerspectiveFovLH(fov, aspect): pixel coordinates counted from the top left.
inline void ProjectToPixel(float fov, float aspect, float x, float y, float z, UINT w, UINT h,
                           float* px, float* py) {
  const float yScale = 1.0f / std::tan(fov / 2.0f);
  const float xScale = yScale / aspect;
  *px = (x * xScale / z + 1.0f) / 2.0f * static_cast<float>(w);
  *py = (1.0f - y * yScale / z) / 2.0f * static_cast<float>(h);
}

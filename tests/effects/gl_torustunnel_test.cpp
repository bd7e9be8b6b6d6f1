// "torustunnel" on the OpenGL device: from the default camera inside the tube the wall fills
// the screen, and points of a quad just ahead land where the camera projects them, showing
// the texture at the quad's interpolated u.
#include <cmath>

#include "gl_effect_frame.h"

namespace {

constexpr float kFov = 0.7853982f;
constexpr int kRings = 128;
constexpr int kPoints = 16;

// Point j of ring k of the default torus (outer radius 1, tube radius 0.1), dropped so that
// the top of its centre circle is at the origin: ring 0 turned k steps about the x axis.
D3DXVECTOR3 TorusPoint(int k, int j) {
  const double theta = j * 2.0 * M_PI / kPoints, phi = k * 2.0 * M_PI / kRings;
  const double x = 0.1 * std::cos(theta), z0 = 1.0 + 0.1 * std::sin(theta);
  return D3DXVECTOR3(static_cast<float>(x), static_cast<float>(-z0 * std::sin(phi) - 1.0),
                     static_cast<float>(z0 * std::cos(phi)));
}

// u of a vertex: 1, 0, 1 ... along all vertices.
float TorusU(int k, int j) {
  return (k * kPoints + j) % 2 == 0 ? 1.0f : 0.0f;
}

class GlTorusTunnelTest : public GlEffectFrameTest {
 protected:
  void SetUp() override {
    GlEffectFrameTest::SetUp();
    // Left half red, right half green.
    ASSERT_TRUE(WritePng(dir.File("halves.png"), 64, 64,
                         [](int x, int) { return x < 32 ? 0xFFFF0000u : 0xFF00FF00u; }));
    ASSERT_TRUE(world.LoadResources("<resources><t type=\"texture\" name=\"halves\">" +
                                    Param("filename", "string", "halves.png") +
                                    "</t></resources>"));
    ASSERT_TRUE(world.LoadTimeline(
        "<timeline>" + Module("clearscreen", Param("color", "color", "#FF0000FF")) +
        Module("torustunnel", Param("texture", "string", "halves"), 1) + "</timeline>"));
  }
};

TEST_F(GlTorusTunnelTest, TheCameraSitsInsideTheTube) {
  Frame(0.0f, "torustunnel");
  int clear = 0;
  for (UINT y = 4; y < height; y += 16) {
    for (UINT x = 4; x < width; x += 16) {
      const Rgba p = At(x, y);
      if (p.b > 128 && p.r < 64 && p.g < 64) ++clear;
    }
  }
  EXPECT_EQ(0, clear) << "the tunnel wall covers the whole screen";
}

TEST_F(GlTorusTunnelTest, QuadPointsShowTheTextureAtTheirU) {
  Frame(0.0f, "torustunnel-quads");
  // Quads between rings 100 and 101 (about 0.3 ahead of the camera at z -0.1), all round the
  // tube: points inside the triangle (p00, p01, p11) at weights near p00 and near p01.
  for (int j = 0; j < kPoints; ++j) {
    const int k = 100, nj = (j + 1) % kPoints;
    const D3DXVECTOR3 p00 = TorusPoint(k, j), p01 = TorusPoint(k, nj), p11 = TorusPoint(k + 1, nj);
    const float u00 = TorusU(k, j), u01 = TorusU(k, nj), u11 = TorusU(k + 1, nj);
    for (const float w : {0.6f, 0.2f}) {
      const float w01 = 0.8f - w;
      const D3DXVECTOR3 p = p00 * w + p01 * w01 + p11 * 0.2f;
      const float u = u00 * w + u01 * w01 + u11 * 0.2f;
      float px, py;
      ProjectToPixel(kFov, 640.0f / 480.0f, p.x, p.y, p.z + 0.1f, width, height, &px, &py);
      if (px < 2 || py < 2 || px > width - 3 || py > height - 3) continue;
      const bool green = u > 0.5f;
      EXPECT_TRUE(
          Near(static_cast<int>(px), static_cast<int>(py), green ? 0 : 255, green ? 255 : 0, 0, 24))
          << "point " << j << " weight " << w << " u " << u;
    }
  }
}

}  // namespace

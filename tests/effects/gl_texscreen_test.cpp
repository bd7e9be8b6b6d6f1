// "texscreen" on the OpenGL device: the grid's corners land where the camera projects them,
// the default texture window shows the picture upside down, "zrot" 90 turns it a quarter
// counter-clockwise, a bend brings the edges toward the viewer, and the perspective takes the
// display's aspect ratio.
#include "gl_effect_frame.h"

namespace {

constexpr float kFov = 0.785398163f;

// A 64 x 64 picture in four quadrants: red top left, green top right, blue bottom left,
// white bottom right.
uint32_t Quadrants(int x, int y) {
  if (y < 32) return x < 32 ? 0xFFFF0000u : 0xFF00FF00u;
  return x < 32 ? 0xFF0000FFu : 0xFFFFFFFFu;
}

template <UINT W, UINT H>
class GlTexScreenTestAt : public GlEffectFrameTest {
 protected:
  GlTexScreenTestAt() : GlEffectFrameTest(W, H) {}

  void SetUp() override {
    GlEffectFrameTest::SetUp();
    ASSERT_TRUE(WritePng(dir.File("quad.png"), 64, 64, Quadrants));
    ASSERT_TRUE(world.LoadResources("<resources><t type=\"texture\" name=\"quad\">" +
                                    Param("filename", "string", "quad.png") + "</t></resources>"));
  }

  void Load(const std::string& params) {
    ASSERT_TRUE(world.LoadTimeline(
        "<timeline>" + Module("clearscreen", Param("color", "color", "#FF000040")) +
        Module("texscreen", Param("texture", "string", "quad") + params, 1) + "</timeline>"));
  }

  // The pixel of grid point (x, y, z) seen from (0, 0, -2).
  void Project(float x, float y, float z, float* px, float* py) const {
    ProjectToPixel(kFov, static_cast<float>(W) / H, x, y, z + 2.0f, W, H, px, py);
  }
};

using GlTexScreenTest = GlTexScreenTestAt<640, 480>;

TEST_F(GlTexScreenTest, FlatGridShowsThePictureUpsideDownBetweenItsProjectedEdges) {
  Load("");
  Frame(0.0f, "texscreen-flat");
  float left, top, right, bottom;
  Project(-0.45f, 0.42f, 0.0f, &left, &top);
  Project(0.42f, -0.45f, 0.0f, &right, &bottom);
  EXPECT_NEAR(189.6f, left, 0.5f);
  EXPECT_NEAR(441.7f, right, 0.5f);
  // The lowest row shows the picture's top: red bottom left, green bottom right, blue top
  // left, white top right.
  const int midX = static_cast<int>((left + right) / 2),
            midY = static_cast<int>((top + bottom) / 2);
  EXPECT_TRUE(Near(midX - 40, midY + 40, 255, 0, 0)) << "red at the bottom left";
  EXPECT_TRUE(Near(midX + 40, midY + 40, 0, 255, 0)) << "green at the bottom right";
  EXPECT_TRUE(Near(midX - 40, midY - 40, 0, 0, 255)) << "blue at the top left";
  EXPECT_TRUE(Near(midX + 40, midY - 40, 255, 255, 255)) << "white at the top right";
  // Just inside and just outside each projected edge.
  EXPECT_TRUE(Near(static_cast<int>(left) + 3, midY + 40, 255, 0, 0));
  EXPECT_TRUE(Near(static_cast<int>(left) - 3, midY + 40, 0, 0, 64)) << "clear left of the grid";
  EXPECT_TRUE(Near(static_cast<int>(right) - 3, midY + 40, 0, 255, 0));
  EXPECT_TRUE(Near(static_cast<int>(right) + 3, midY + 40, 0, 0, 64));
  EXPECT_TRUE(Near(midX - 40, static_cast<int>(top) - 3, 0, 0, 64)) << "clear above the grid";
  EXPECT_TRUE(Near(midX - 40, static_cast<int>(bottom) + 3, 0, 0, 64)) << "clear below";
}

TEST_F(GlTexScreenTest, QuarterTurnIsCounterClockwise) {
  Load(Param("zrot", "float", "90"));
  Frame(0.0f, "texscreen-zrot90");
  // (x, y) goes to (-y, x): white (top right) to the top left, green (bottom right) to the
  // top right, red (bottom left) to the bottom right, blue (top left) to the bottom left.
  EXPECT_TRUE(Near(280, 200, 255, 255, 255)) << "white at the top left";
  EXPECT_TRUE(Near(360, 200, 0, 255, 0)) << "green at the top right";
  EXPECT_TRUE(Near(360, 280, 255, 0, 0)) << "red at the bottom right";
  EXPECT_TRUE(Near(280, 280, 0, 0, 255)) << "blue at the bottom left";
  // The turned grid spans x from -0.42 to 0.45.
  float right, y;
  Project(0.45f, 0.0f, 0.0f, &right, &y);
  EXPECT_TRUE(Near(static_cast<int>(right) - 3, 280, 255, 0, 0));
  EXPECT_TRUE(Near(static_cast<int>(right) + 3, 280, 0, 0, 64));
}

TEST_F(GlTexScreenTest, BendBringsTheEdgesTowardTheViewerAndAlphaFades) {
  // k = 0.002: the middle of the left edge (j = -15, i = 0) comes 0.45 nearer.
  Load(Param("bendfactor", "float", "20") + Param("alpha", "float", "0.5") +
       Param("vstart", "float", "1") + Param("vend", "float", "0"));
  Frame(0.0f, "texscreen-bent");
  float left, y;
  Project(-0.45f, 0.0f, -0.45f, &left, &y);
  EXPECT_NEAR(151.8f, left, 0.5f);
  EXPECT_TRUE(Near(static_cast<int>(left) - 4, static_cast<int>(y), 0, 0, 64))
      << "clear just outside the bent edge";
  // Upright now: the top left is red. Inside the left edge at row i = 7 (y 0.21, brought
  // 0.548 nearer), half of red over the clear (0, 0, 64).
  float x7, y7;
  Project(-0.45f, 0.21f, -0.002f * (225 + 49), &x7, &y7);
  EXPECT_TRUE(Near(static_cast<int>(x7) + 8, static_cast<int>(y7), 128, 0, 32));
  EXPECT_TRUE(Near(static_cast<int>(x7) - 3, static_cast<int>(y7), 0, 0, 64));
}

using GlTexScreenWideTest = GlTexScreenTestAt<800, 400>;

TEST_F(GlTexScreenWideTest, PerspectiveTakesTheDisplaysAspectRatio) {
  Load("");
  Frame(0.0f, "texscreen-wide");
  float right, y;
  Project(0.42f, -0.2f, 0.0f, &right, &y);
  EXPECT_NEAR(501.4f, right, 0.5f) << "aspect 2, not 4:3 (which would put it at 552)";
  EXPECT_TRUE(Near(static_cast<int>(right) - 3, static_cast<int>(y), 0, 255, 0));
  EXPECT_TRUE(Near(static_cast<int>(right) + 3, static_cast<int>(y), 0, 0, 64));
}

}  // namespace

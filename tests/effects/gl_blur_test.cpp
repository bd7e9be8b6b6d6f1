// "blur" on the OpenGL device: passes add the texture lit by the current material's ambient
// and the ambient grey, the zoom's fixed point follows the offsets, and on a device where no
// module has set a material the passes add black.
#include <cmath>
#include <string>

#include "gl_effect_frame.h"

namespace {

class GlBlurTest : public GlEffectFrameTest {
 protected:
  void SetUp() override {
    GlEffectFrameTest::SetUp();
    // Left half red, right half green.
    ASSERT_TRUE(WritePng(dir.File("halves.png"), 64, 64,
                         [](int x, int) { return x < 32 ? 0xFFFF0000u : 0xFF00FF00u; }));
    ASSERT_TRUE(WritePng(dir.File("flat.png"), 64, 64, [](int, int) { return 0xFFC86432u; }));
    ASSERT_TRUE(world.LoadResources("<resources><t type=\"texture\" name=\"halves\">" +
                                    Param("filename", "string", "halves.png") +
                                    "</t><t type=\"texture\" name=\"flat\">" +
                                    Param("filename", "string", "flat.png") + "</t></resources>"));
  }

  // What an earlier module would leave: a material with this ambient grey, no lights.
  void LeaveMaterial(float ambient) {
    D3DMATERIAL9 material{};
    material.Ambient = {ambient, ambient, ambient, 1.0f};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    world.device()->SetMaterial(&material);
  }

  void Load(const std::string& params) {
    ASSERT_TRUE(world.LoadTimeline("<timeline>" +
                                   Module("clearscreen", Param("color", "color", "#FF000000")) +
                                   Module("blur", params, 1) + "</timeline>"));
  }
};

TEST_F(GlBlurTest, PassesAddTheTextureLitByMaterialAmbientTimesTheGrey) {
  // Ambient 0.5 x grey 0.2 (byte 51): each pass adds a tenth of (200, 100, 50).
  LeaveMaterial(0.5f);
  Load(Param("texture", "string", "flat") + Param("times", "long", "4") +
       Param("light", "float", "0.2"));
  Frame(0.0f, "blur-sum");
  const float lit = 0.5f * (51.0f / 255.0f);
  auto sum = [lit](int texel) { return 4 * static_cast<int>(std::lround(texel * lit)); };
  for (auto [x, y] : {std::pair{320, 240}, {5, 5}, {630, 470}}) {
    EXPECT_TRUE(Near(x, y, sum(200), sum(100), sum(50), 3));
  }
}

// Two passes, the second showing the window a quarter in from each side toward the zoom
// centre. Grey 128 with a full ambient material makes each pass add half of the texture.
std::string TwoPasses(const char* xOffset) {
  return Param("texture", "string", "halves") + Param("times", "long", "2") +
         Param("size", "float", "0.25") + Param("light", "float", "0.5") +
         Param("xoffset", "float", xOffset);
}

TEST_F(GlBlurTest, CentredZoomKeepsTheMiddle) {
  LeaveMaterial(1.0f);
  Load(TwoPasses("0"));
  Frame(0.0f, "blur-centred");
  // At 40 % of the width both passes show red (u 0.4, then 0.25 + 0.4 x 0.5 = 0.45); at
  // 90 % both show green (u 0.9, then 0.7). Two halves of 255 saturate.
  EXPECT_TRUE(Near(256, 240, 255, 0, 0, 3));
  EXPECT_TRUE(Near(576, 240, 0, 255, 0, 3));
}

TEST_F(GlBlurTest, XOffsetMovesTheZoomCentreToThreeQuarters) {
  LeaveMaterial(1.0f);
  Load(TwoPasses("320"));
  Frame(0.0f, "blur-offset");
  // Centre at u 0.75: the second pass shows [0.375, 0.875], so at 40 % of the width it
  // shows u 0.575 (green) over the first pass's red (u 0.4): half of each.
  EXPECT_TRUE(Near(256, 240, 128, 128, 0, 3));
  // At 10 % both passes are still red (u 0.1 and 0.425).
  EXPECT_TRUE(Near(64, 240, 255, 0, 0, 3));
}

TEST_F(GlBlurTest, OnAFreshDeviceThePassesAddBlack) {
  // No module has set a material: its ambient is 0, and so is every pass's colour.
  Load(TwoPasses("0"));
  Frame(0.0f, "blur-no-material");
  EXPECT_TRUE(Near(256, 240, 0, 0, 0, 0));
  EXPECT_TRUE(Near(576, 240, 0, 0, 0, 0));
}

}  // namespace

// Frames of the screen and overlay modules on the OpenGL device (headless): pictures placed,
// turned, faded and blended; a render target drawn as a picture; text in its box; a mesh
// resource loaded. Each frame is also written as PNG beside the test binaries for a look.
#include <gtest/gtest.h>

#include <string>

#include "effect_world.h"
#include "resources/klutt_resource.h"
#include "support/run_program.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// A 64 x 64 picture in four quadrants: red top left, green top right, blue bottom left,
// white bottom right.
uint32_t Quadrants(int x, int y) {
  if (y < 32) return x < 32 ? kRed : kGreen;
  return x < 32 ? kBlue : kWhite;
}

std::string Param(const char* name, const char* type, const std::string& value) {
  return std::string("<param name=\"") + name + "\" type=\"" + type + "\" value=\"" + value +
         "\"/>";
}

class GlFramesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.ok()) << world.error();
    ASSERT_TRUE(WritePng(dir.File("quad.png"), 64, 64, Quadrants));
    ASSERT_TRUE(WritePng(dir.File("grey.png"), 32, 32, [](int, int) { return 0xFF404040u; }));
  }

  // Renders demo time t, presents, and reads the back buffer; saves it as NAME.png.
  void Frame(float t, const std::string& name) {
    world.timeline.Render(t);
    ASSERT_TRUE(world.ReadBackBuffer(&pixels, &width, &height));
    ASSERT_EQ(640u, width);
    ASSERT_EQ(480u, height);
    WritePng(std::string(VEXIL_BIN_DIR) + "/effects-" + name + ".png", pixels, width, height);
  }

  ::testing::AssertionResult Near(int x, int y, int r, int g, int b, int tolerance = 6) const {
    return vexil::test::RgbNear({r, g, b, 255}, PixelAt(pixels, width, x, y), tolerance)
           << " at pixel (" << x << ", " << y << ")";
  }

  ScratchDir dir{ScratchDir::kEnter};
  EffectWorld world{true};
  std::vector<uint8_t> pixels;
  UINT width = 0, height = 0;
};

TEST_F(GlFramesTest, PicturesArePlacedTurnedFadedAndBlended) {
  ASSERT_TRUE(
      world.LoadResources("<resources>"
                          "<t type=\"texture\" name=\"quad\">" +
                          Param("filename", "string", "quad.png") +
                          "</t>"
                          "<t type=\"texture\" name=\"grey\">" +
                          Param("filename", "string", "grey.png") +
                          "</t>"
                          "</resources>"));
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>"
      "<a type=\"clearscreen\" start=\"0\" end=\"1000\" layer=\"0\">" +
      Param("color", "color", "#FF000040") +
      "</a>"
      // Centre (-160, 0) in virtual units = pixel (160, 240); 200 % of 64 = 128 pixels;
      // a quarter turn counter-clockwise; half opaque over the dark blue.
      "<b type=\"showimage\" start=\"0\" end=\"1000\" layer=\"1\">" +
      Param("texture", "string", "quad") + Param("x", "float", "-160") +
      Param("scalex", "float", "200") + Param("scaley", "float", "200") +
      Param("angle", "float", "90") + Param("alpha", "float", "0.5") +
      "</b>"
      // Opaque grey added at (160, 100) virtual = pixel (480, 140), 96 pixels square.
      "<c type=\"showimage\" start=\"0\" end=\"1000\" layer=\"2\">" +
      Param("texture", "string", "grey") + Param("x", "float", "160") + Param("y", "float", "100") +
      Param("scalex", "float", "300") + Param("scaley", "float", "300") +
      Param("blending", "long", "1") +
      "</c>"
      "</timeline>"));
  Frame(0.0f, "showimage");

  EXPECT_TRUE(Near(20, 20, 0, 0, 64)) << "the clear colour around the pictures";
  // Turned a quarter turn counter-clockwise: top right (green) is now top left, bottom right
  // (white) top right, top left (red) bottom left, bottom left (blue) bottom right. Each is
  // half strength over (0, 0, 64).
  EXPECT_TRUE(Near(128, 208, 0, 128, 32)) << "green, top left";
  EXPECT_TRUE(Near(192, 208, 128, 128, 160)) << "white, top right";
  EXPECT_TRUE(Near(128, 272, 128, 0, 32)) << "red, bottom left";
  EXPECT_TRUE(Near(192, 272, 0, 0, 160)) << "blue, bottom right";
  EXPECT_TRUE(Near(90, 240, 0, 0, 64)) << "just left of the 128-pixel picture";
  EXPECT_TRUE(Near(230, 240, 0, 0, 64)) << "just right of it";
  // Additive: (0, 0, 64) + (64, 64, 64).
  EXPECT_TRUE(Near(480, 140, 64, 64, 128)) << "grey added onto the clear colour";
  EXPECT_TRUE(Near(480, 80, 0, 0, 64)) << "above the 96-pixel grey square";
}

TEST_F(GlFramesTest, RenderTargetIsDrawnAsAPicture) {
  ASSERT_TRUE(world.LoadResources("<resources><t type=\"texture\" name=\"rt\">" +
                                  Param("type", "long", "1") + Param("width", "long", "128") +
                                  Param("height", "long", "128") +
                                  "</t><t type=\"texture\" name=\"quad\">" +
                                  Param("filename", "string", "quad.png") + "</t></resources>"));
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>"
      "<a type=\"clearscreen\" start=\"0\" end=\"1000\" layer=\"0\"/>"
      // Into the target: a yellow clear and the quadrant picture at its centre.
      "<b type=\"clearscreen\" start=\"0\" end=\"1000\" layer=\"1\"><target value=\"rt\"/>" +
      Param("color", "color", "#FFFFFF00") +
      "</b>"
      "<c type=\"showimage\" start=\"0\" end=\"1000\" layer=\"2\"><target value=\"rt\"/>" +
      Param("texture", "string", "quad") + Param("scalex", "float", "500") +
      Param("scaley", "float", "375") +
      "</c>"
      // Onto the screen: the target at 200 %, 256 pixels square, centred.
      "<d type=\"showimage\" start=\"0\" end=\"1000\" layer=\"3\">" +
      Param("texture", "string", "rt") + Param("scalex", "float", "200") +
      Param("scaley", "float", "200") +
      "</d>"
      "</timeline>"));
  Frame(0.0f, "rendertarget");

  EXPECT_TRUE(Near(10, 10, 0, 0, 0)) << "the screen's own clear";
  // In the target the picture spans half of its virtual screen each way (320 x 240 units),
  // so on screen the drawn target (192..448, 112..368) shows it over its central half
  // (256..384, 176..304), upright, with the yellow clear around it.
  EXPECT_TRUE(Near(210, 130, 255, 255, 0, 12)) << "yellow, the target's own clear";
  EXPECT_TRUE(Near(288, 208, 255, 0, 0, 12)) << "red, top left of the picture";
  EXPECT_TRUE(Near(352, 208, 0, 255, 0, 12)) << "green, top right";
  EXPECT_TRUE(Near(288, 272, 0, 0, 255, 12)) << "blue, bottom left";
  EXPECT_TRUE(Near(352, 272, 255, 255, 255, 12)) << "white, bottom right";
  EXPECT_TRUE(Near(150, 240, 0, 0, 0)) << "left of the drawn target";
}

TEST_F(GlFramesTest, TextIsDrawnInsideItsBox) {
  ASSERT_TRUE(
      world.LoadTimeline("<timeline>"
                         "<a type=\"clearscreen\" start=\"0\" end=\"1000\"/>"
                         "<b type=\"text\" start=\"0\" end=\"1000\" layer=\"1\">" +
                         Param("text", "string", "VEXIL|demo") + Param("x", "float", "500") +
                         Param("y", "float", "500") + Param("fontsize", "long", "40") +
                         Param("color", "color", "#FFFFFFFF") +
                         "</b>"
                         "</timeline>"));
  Frame(0.0f, "text");

  int inside = 0, outside = 0, secondLine = 0;
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      if (PixelAt(pixels, width, x, y).g < 128) continue;
      if (x >= 320 && y >= 240) {
        ++inside;
        if (y >= 290) ++secondLine;
      } else {
        ++outside;
      }
    }
  }
  EXPECT_GT(inside, 200) << "the glyphs are drawn from (320, 240) on";
  EXPECT_EQ(0, outside) << "nothing left of or above the box";
  EXPECT_GT(secondLine, 50) << "\"|\" starts a second line below the first";
}

TEST_F(GlFramesTest, MeshResourceLoadsWithItsTexture) {
  ASSERT_EQ(0, vexil::test::RunProgram(vexil::test::BuiltProgram("vexil-xmeshgen"),
                                       {dir.File("cube.x"), "--texture", "quad.png"})
                   .status);
  ASSERT_TRUE(world.LoadResources("<resources><k type=\"klutt\" name=\"cube\">" +
                                  Param("filename", "string", "cube.x") + "</k></resources>"));
  auto* klutt = static_cast<effects::CKluttResource*>(world.resources.GetResource("cube"));
  ASSERT_NE(nullptr, klutt);
  ASSERT_NE(nullptr, klutt->GetMesh());
  EXPECT_EQ(24u, klutt->GetMesh()->GetNumVertices());
  IDirect3DTexture9** textures = nullptr;
  ASSERT_EQ(2u, klutt->GetTextures(&textures));
  ASSERT_NE(nullptr, textures[0]);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(D3D_OK, textures[0]->GetLevelDesc(0, &desc));
  EXPECT_EQ(64u, desc.Width);
}

}  // namespace

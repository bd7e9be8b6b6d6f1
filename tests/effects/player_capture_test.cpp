// The player binary capturing scripts that use the effect library: a picture over a cleared
// screen at its place, text, a packed container, and the bundled demo itself.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "test_files.h"

namespace {

struct Picture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  bool ok() const { return !rgba.empty(); }
  // 0xRRGGBB of pixel (x, y).
  uint32_t Pixel(int x, int y) const {
    const uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }
};

Picture Load(const std::string& path) {
  Picture picture;
  int channels = 0;
  unsigned char* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 4);
  if (data) {
    picture.rgba.assign(data, data + static_cast<std::size_t>(picture.width) * picture.height * 4);
    stbi_image_free(data);
  }
  return picture;
}

// Runs the player in `folder` with `arguments`, its output into `log`; answers its exit status.
int RunPlayer(const std::string& folder, const std::string& arguments, const std::string& log) {
  const std::string command =
      "cd '" + folder + "' && '" + VEXIL_BIN_DIR + "/vexil' " + arguments + " > '" + log + "' 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Script(const std::string& resources, const std::string& timeline) {
  return "<demo name=\"effects e2e\"><settings><width value=\"320\"/><height value=\"240\"/>"
         "</settings><libraries><library file=\"effectpack.dll\"/></libraries>"
         "<resources>" +
         resources + "</resources><timeline>" + timeline + "</timeline></demo>";
}

TEST(PlayerCaptureTest, PictureOverAClearedScreenLandsWhereTheScriptPutsIt) {
  ScratchDir dir;
  // 32 x 32 red picture; at 100 % on a 320 x 240 screen it covers 16 x 16 pixels, and
  // x 160 (a quarter of the 640 virtual width) puts its centre at pixel (240, 120).
  ASSERT_TRUE(WriteTestPng(dir.File("red.png"), 32, 32, [](int, int) { return 0xFFFF0000u; }));
  std::ofstream(dir.File("demo.xml")) << Script(
      "<t type=\"texture\" name=\"red\"><param name=\"filename\" type=\"string\" "
      "value=\"red.png\"/></t>",
      "<a type=\"clearscreen\" start=\"0\" end=\"100\"><param name=\"color\" "
      "type=\"color\" value=\"#FF0000FF\"/></a>"
      "<b type=\"showimage\" start=\"0\" end=\"100\" layer=\"1\">"
      "<param name=\"texture\" type=\"string\" value=\"red\"/>"
      "<param name=\"x\" type=\"float\" value=\"160\"/></b>");
  ASSERT_EQ(0, RunPlayer(dir.path(), "--capture out --fps 10 demo.xml", dir.File("player.log")))
      << ReadTextFile(dir.File("player.log"));
  const Picture frame = Load(dir.File("out/frame-000000.png"));
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(0x0000FFu, frame.Pixel(10, 10)) << "the clear colour";
  EXPECT_EQ(0xFF0000u, frame.Pixel(240, 120)) << "the picture's centre";
  EXPECT_EQ(0xFF0000u, frame.Pixel(234, 114));
  EXPECT_EQ(0x0000FFu, frame.Pixel(250, 120)) << "right of the 16-pixel picture";
  EXPECT_EQ(0x0000FFu, frame.Pixel(160, 120)) << "the screen centre stays clear";
}

TEST(PlayerCaptureTest, BundledDemoPlaysFromItsContainer) {
  const std::string demo = std::string(VEXIL_BIN_DIR) + "/../demo";
  ScratchDir out;
  // 5.5 s: the logo has risen out of its flash over the rays.
  ASSERT_EQ(0,
            RunPlayer(demo, "--capture '" + out.File("frames") + "' --from 5500 --to 5500 demo.gma",
                      out.File("player.log")))
      << ReadTextFile(out.File("player.log"));
  const Picture frame = Load(out.File("frames/frame-000000.png"));
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(640, frame.width);
  EXPECT_EQ(480, frame.height);
  // Somewhere across the logo's middle row there are bright cyan-to-violet letter pixels.
  int bright = 0;
  for (int x = 0; x < 640; ++x) {
    const uint32_t p = frame.Pixel(x, 210);
    if (((p >> 16) & 0xFF) > 120 && (p & 0xFF) > 200) ++bright;
  }
  EXPECT_GT(bright, 40) << "the logo is visible";
}

}  // namespace

// The player binary capturing scripts that use the effect library: a picture over a cleared
// screen lands where the script puts it, also at another --size. (The bundled demo has its
// own tests in tests/demo.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

using vexil::test::LoadPng;
using vexil::test::Picture;
using vexil::test::RunPlayer;
using vexil::test::RunResult;
using vexil::test::ScratchDir;
using vexil::test::WritePng;

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
  ASSERT_TRUE(WritePng(dir.File("red.png"), 32, 32, [](int, int) { return 0xFFFF0000u; }));
  std::ofstream(dir.File("demo.xml")) << Script(
      "<t type=\"texture\" name=\"red\"><param name=\"filename\" type=\"string\" "
      "value=\"red.png\"/></t>",
      "<a type=\"clearscreen\" start=\"0\" end=\"100\"><param name=\"color\" "
      "type=\"color\" value=\"#FF0000FF\"/></a>"
      "<b type=\"showimage\" start=\"0\" end=\"100\" layer=\"1\">"
      "<param name=\"texture\" type=\"string\" value=\"red\"/>"
      "<param name=\"x\" type=\"float\" value=\"160\"/></b>");
  const RunResult run = RunPlayer({"--capture", "out", "--fps", "10", "demo.xml"}, dir.path());
  ASSERT_EQ(0, run.status) << run.err;
  const Picture frame = LoadPng(dir.File("out/frame-000000.png"));
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(0x0000FFu, frame.Rgb(10, 10)) << "the clear colour";
  EXPECT_EQ(0xFF0000u, frame.Rgb(240, 120)) << "the picture's centre";
  EXPECT_EQ(0xFF0000u, frame.Rgb(234, 114));
  EXPECT_EQ(0x0000FFu, frame.Rgb(250, 120)) << "right of the 16-pixel picture";
  EXPECT_EQ(0x0000FFu, frame.Rgb(160, 120)) << "the screen centre stays clear";
}

TEST(PlayerCaptureTest, SizeKeepsThe2dLayoutAndGivesThe3dProjectionItsAspect) {
  ScratchDir dir;
  ASSERT_TRUE(WritePng(dir.File("red.png"), 32, 32, [](int, int) { return 0xFFFF0000u; }));
  ASSERT_EQ(0, vexil::test::RunProgram(vexil::test::BuiltProgram("vexil-xmeshgen"),
                                       {dir.File("cube.x"), "--texture", "red.png"})
                   .status);
  // The same picture as above, and a cube seen face-on from its own 3D view, 2 s later.
  std::ofstream(dir.File("demo.xml")) << Script(
      "<t type=\"texture\" name=\"red\"><param name=\"filename\" type=\"string\" "
      "value=\"red.png\"/></t><k type=\"klutt\" name=\"cube\"><param name=\"filename\" "
      "type=\"string\" value=\"cube.x\"/></k>",
      "<a type=\"clearscreen\" start=\"0\" end=\"3000\"><param name=\"color\" "
      "type=\"color\" value=\"#FF0000FF\"/></a>"
      "<b type=\"showimage\" start=\"0\" end=\"1000\" layer=\"1\">"
      "<param name=\"texture\" type=\"string\" value=\"red\"/>"
      "<param name=\"x\" type=\"float\" value=\"160\"/></b>"
      "<c type=\"kluttviewer\" start=\"2000\" end=\"3000\" layer=\"1\">"
      "<param name=\"mesh\" type=\"string\" value=\"cube\"/>"
      "<param name=\"scale\" type=\"float\" value=\"0.5\"/></c>");
  // Twice as wide as the script's 320 x 240, and as high.
  const RunResult run =
      RunPlayer({"--capture", "out", "--size", "640x240", "--fps", "1", "--to", "2000", "demo.xml"},
                dir.path());
  ASSERT_EQ(0, run.status) << run.err;
  const Picture picture = LoadPng(dir.File("out/frame-000000.png"));
  ASSERT_TRUE(picture.ok());
  ASSERT_EQ(640, picture.width);
  ASSERT_EQ(240, picture.height);
  // The 640 x 480 virtual screen is stretched over the frame: the picture's centre at virtual
  // x 160 is pixel 480, and its 32 virtual pixels are 32 wide and 16 high.
  EXPECT_EQ(0xFF0000u, picture.Rgb(480, 120)) << "the picture's centre";
  EXPECT_EQ(0xFF0000u, picture.Rgb(466, 113));
  EXPECT_EQ(0xFF0000u, picture.Rgb(493, 126));
  EXPECT_EQ(0x0000FFu, picture.Rgb(480, 130)) << "below the 16-pixel-high picture";
  EXPECT_EQ(0x0000FFu, picture.Rgb(500, 120)) << "right of the 32-pixel-wide picture";

  // The cube's front face is square on the screen, whatever the frame's shape.
  const Picture cube = LoadPng(dir.File("out/frame-000002.png"));
  ASSERT_TRUE(cube.ok());
  int left = cube.width, right = -1, top = cube.height, bottom = -1;
  for (int y = 0; y < cube.height; ++y) {
    for (int x = 0; x < cube.width; ++x) {
      if (cube.Rgb(x, y) == 0x0000FFu) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  ASSERT_GT(right, left) << "the cube is drawn";
  const double width = right - left + 1, height = bottom - top + 1;
  EXPECT_NEAR(1.0, width / height, 0.05) << width << " x " << height << " pixels";
  EXPECT_NEAR(320.0, (left + right) / 2.0, 2.0) << "centred";
}

}  // namespace

// The player binary capturing the 3D effects: a script with metaballs, a spline tunnel, a
// trail tube and a mesh viewer gives byte-identical frames on a second capture.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

using vexil::test::ReadFile;
using vexil::test::RunProgram;
using vexil::test::RunResult;

TEST(PlayerCapture3dTest, TheSameCaptureTwiceIsByteIdentical) {
  vexil::test::ScratchDir dir;
  ASSERT_TRUE(vexil::test::WritePng(dir.File("tex.png"), 32, 32, [](int x, int y) {
    return ((x / 8 + y / 8) % 2) ? 0xFF2040C0u : 0xFFE0E0E0u;
  }));
  ASSERT_EQ(0, RunProgram(vexil::test::BuiltProgram("vexil-xmeshgen"),
                          {dir.File("cube.x"), "--texture", "tex.png"})
                   .status);
  std::string shape = "<param name=\"shape\" type=\"arrayvec3\">";
  for (const char* key :
       {"x=\"2\" y=\"0\"", "x=\"0\" y=\"-2\"", "x=\"-2\" y=\"0\"", "x=\"0\" y=\"2\""})
    shape += std::string("<key ") + key + " z=\"0\"/>";
  shape += "</param>";
  std::ofstream(dir.File("demo.xml"))
      << "<demo name=\"3d\"><settings><width value=\"320\"/><height value=\"240\"/></settings>"
         "<libraries><library file=\"effectpack.dll\"/></libraries><resources>"
         "<t type=\"texture\" name=\"tex\"><param name=\"filename\" type=\"string\" "
         "value=\"tex.png\"/></t>"
         "<k type=\"klutt\" name=\"cube\"><param name=\"filename\" type=\"string\" "
         "value=\"cube.x\"/></k></resources><timeline>"
         "<c type=\"clearscreen\" start=\"0\" end=\"2000\"/>"
         "<s type=\"splinetunnel\" start=\"0\" end=\"500\" layer=\"1\">"
         "<param name=\"texture\" type=\"string\" value=\"tex\"/>"
         "<param name=\"fogend\" type=\"float\" value=\"40\"/>" +
             shape +
             "</s>"
             "<m type=\"metaballs\" start=\"500\" end=\"1000\" layer=\"1\">"
             "<param name=\"texture\" type=\"string\" value=\"tex\"/></m>"
             "<z type=\"zuravisnurr\" start=\"1000\" end=\"1500\" layer=\"1\">"
             "<param name=\"texture\" type=\"string\" value=\"tex\"/></z>"
             "<v type=\"kluttviewer\" start=\"1500\" end=\"2000\" layer=\"1\">"
             "<param name=\"mesh\" type=\"string\" value=\"cube\"/>"
             "<param name=\"xrotation\" type=\"float\" value=\"0.6\"/></v>"
             "</timeline></demo>";
  for (const char* folder : {"one", "two"}) {
    const RunResult run =
        vexil::test::RunPlayer({"--capture", folder, "--fps", "10", "demo.xml"}, dir.path());
    ASSERT_EQ(0, run.status) << run.err;
  }
  int frames = 0;
  for (int i = 0; i <= 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", i);
    const std::string a = ReadFile(dir.path() + "/one" + name);
    if (a.empty()) break;
    EXPECT_EQ(a, ReadFile(dir.path() + "/two" + name)) << "frame " << i;
    ++frames;
  }
  EXPECT_GE(frames, 20) << "every effect captured";
}

}  // namespace

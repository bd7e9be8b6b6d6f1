// The player capturing scripts with the zoom blur, the bent screen, the twister, the torus
// tunnel and the torus knot: pixels where the geometry and the lighting put them, and the
// same capture twice giving the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

using vexil::test::Picture;
using vexil::test::ReadFile;

std::string Param(const char* name, const char* type, const std::string& value) {
  return std::string("<param name=\"") + name + "\" type=\"" + type + "\" value=\"" + value +
         "\"/>";
}

std::string Demo(const std::string& resources, const std::string& timeline) {
  return "<demo name=\"effects\"><settings><width value=\"320\"/><height value=\"240\"/>"
         "</settings><libraries><library file=\"effectpack.dll\"/></libraries>"
         "<resources>" +
         resources + "</resources><timeline>" + timeline + "</timeline></demo>";
}

std::string RenderTarget(const char* name) {
  return std::string("<t type=\"texture\" name=\"") + name + "\">" + Param("type", "long", "1") +
         Param("width", "long", "128") + Param("height", "long", "128") + "</t>";
}

// A flat ribbon twisted half a turn, upright in the middle of the screen.
std::string Twister(int layer) {
  return "<tw type=\"twister\" start=\"0\" end=\"1000\" layer=\"" + std::to_string(layer) + "\">" +
         Param("texture", "string", "grey") + Param("segment", "long", "30") +
         Param("endtwist", "float", "0.5") +
         "<param name=\"shape\" type=\"arrayvec2\"><key x=\"-1\" y=\"-0.2\"/>"
         "<key x=\"-1\" y=\"0.2\"/><key x=\"1\" y=\"0.2\"/><key x=\"1\" y=\"-0.2\"/></param>"
         "<param name=\"body\" type=\"arrayvec3\"><key x=\"0\" y=\"3\" z=\"0\"/>"
         "<key x=\"0\" y=\"-3\" z=\"0\"/></param>"
         "<param name=\"eyepoint\" type=\"vec3\" x=\"0\" y=\"0\" z=\"-8\"/></tw>";
}

class EffectsCaptureTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return dir.File(name); }
  void Write(const std::string& name, const std::string& text) {
    ASSERT_TRUE(vexil::test::WriteFile(Path(name), text));
  }

  static std::string FrameName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", index);
    return name;
  }

  // Captures 0..200 ms at 10 fps into `folder`: three frames; the player must succeed.
  void Capture(const std::string& folder) {
    const vexil::test::RunResult run = vexil::test::RunPlayer(
        {"--capture", folder, "--fps", "10", "--from", "0", "--to", "200", "demo.xml"}, dir.path());
    ASSERT_EQ(0, run.status) << run.err;
    ASSERT_FALSE(ReadFile(Path(folder) + FrameName(2)).empty());
  }

  Picture Frame(const std::string& folder, int index) const {
    return vexil::test::LoadPng(Path(folder) + FrameName(index));
  }

  void ExpectSameCaptures(const std::string& a, const std::string& b) {
    for (int i = 0; i < 3; ++i) {
      const std::string first = ReadFile(Path(a) + FrameName(i));
      EXPECT_FALSE(first.empty());
      EXPECT_EQ(first, ReadFile(Path(b) + FrameName(i))) << "frame " << i;
    }
  }

  vexil::test::ScratchDir dir;
};

uint32_t Grey(int level) {
  return static_cast<uint32_t>(level) * 0x010101u;
}

int Channel(uint32_t rgb, int shift) {
  return static_cast<int>((rgb >> shift) & 0xFF);
}

::testing::AssertionResult GreyNear(uint32_t rgb, int level, int tolerance) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(Channel(rgb, shift) - level) > tolerance) {
      return ::testing::AssertionFailure()
             << "got " << std::hex << rgb << ", expected about " << Grey(level);
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(EffectsCaptureTest, BlurOfARenderTargetIsLitByWhatTheTwisterLeft) {
  // "flat" is cleared to grey 64 and never drawn into otherwise. The twister sets its
  // material (ambient 0.2) and leaves light 0 (ambient 1) on; the blur's four passes then
  // each add 64 x 0.2 x (1 + 26/255) = 14 onto the black around the twister.
  ASSERT_TRUE(
      vexil::test::WritePng(Path("grey.png"), 16, 16, [](int, int) { return 0xFF808080u; }));
  Write("demo.xml",
        Demo(RenderTarget("flat") + "<t type=\"texture\" name=\"grey\">" +
                 Param("filename", "string", "grey.png") + "</t>",
             "<c type=\"clearscreen\" start=\"0\" end=\"1000\">" +
                 Param("color", "color", "#FF000000") +
                 "</c>"
                 "<f type=\"clearscreen\" start=\"0\" end=\"1000\"><target value=\"flat\"/>" +
                 Param("color", "color", "#FF404040") + "</f>" + Twister(1) +
                 "<b type=\"blur\" start=\"0\" end=\"1000\" layer=\"2\">" +
                 Param("texture", "string", "flat") + Param("times", "long", "4") +
                 Param("light", "float", "0.1") + "</b>"));
  Capture("one");
  const Picture frame = Frame("one", 1);
  ASSERT_TRUE(frame.ok());
  EXPECT_TRUE(GreyNear(frame.Rgb(10, 10), 56, 2));
  EXPECT_TRUE(GreyNear(frame.Rgb(310, 230), 56, 2));
  EXPECT_GT(Channel(frame.Rgb(160, 120), 8), 56 + 40) << "the lit ribbon in the middle";
  Capture("two");
  ExpectSameCaptures("one", "two");
}

TEST_F(EffectsCaptureTest, TunnelBehindABentScreenAndAKnotThatDrawsNothing) {
  Write("demo.xml",
        Demo(RenderTarget("yellow"),
             "<y type=\"clearscreen\" start=\"0\" end=\"1000\"><target value=\"yellow\"/>" +
                 Param("color", "color", "#FFFFFF00") +
                 "</y>"
                 "<t type=\"torustunnel\" start=\"0\" end=\"1000\" layer=\"1\"/>"
                 "<s type=\"texscreen\" start=\"0\" end=\"1000\" layer=\"2\">" +
                 Param("texture", "string", "yellow") + Param("bendfactor", "float", "10") +
                 "</s>"
                 "<k type=\"torusknot\" start=\"0\" end=\"1000\" layer=\"3\"/>"));
  Capture("one");
  const Picture frame = Frame("one", 2);
  ASSERT_TRUE(frame.ok());
  // The bent screen covers the middle: yellow. Around it the untextured tunnel wall (white:
  // unlit, no texture) fills the rest of the screen.
  EXPECT_EQ(0xFFFF00u, frame.Rgb(160, 120));
  EXPECT_EQ(0xFFFFFFu, frame.Rgb(5, 5));
  EXPECT_EQ(0xFFFFFFu, frame.Rgb(315, 235));
  Capture("two");
  ExpectSameCaptures("one", "two");
}

}  // namespace

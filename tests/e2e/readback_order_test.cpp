// Frames handed from the graphics device to a render's outputs while later frames render:
// every frame keeps its number and pixels, the last ones included, whatever the render's span
// or size.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

// A background fading from black to white and a bar sweeping across, over one second: no two
// frames at 10 fps are alike.
std::string ChangingScript() {
  return Script(
      "<m type=\"fill\" start=\"0\" end=\"1000\" layer=\"0\"><param name=\"color\" "
      "type=\"linearcolor\"><key time=\"0\" value=\"#FF000000\"/><key time=\"1000\" "
      "value=\"#FFFFFFFF\"/></param></m>"
      "<m type=\"fillrect\" start=\"0\" end=\"1000\" layer=\"1\"><param name=\"color\" "
      "type=\"color\" value=\"#FFFF8000\"/><param name=\"left\" type=\"linearlong\"><key "
      "time=\"0\" value=\"0\"/><key time=\"1000\" value=\"60\"/></param><param name=\"right\" "
      "type=\"long\" value=\"64\"/><param name=\"bottom\" type=\"long\" value=\"30\"/></m>");
}

// Frame number to the hash of its pixels, from a manifest.
std::map<int, std::string> FrameHashes(const std::string& manifest) {
  std::map<int, std::string> hashes;
  std::istringstream in(manifest);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string kind, time, hash;
    int index = -1;
    if (words >> kind >> index >> time >> hash && kind == "frame") hashes[index] = hash;
  }
  return hashes;
}

using ReadbackOrderTest = PlayerTest;

TEST_F(ReadbackOrderTest, ShortRendersAtTheEndGiveTheFramesOfTheWholeRender) {
  Write("demo.xml", ChangingScript());
  const RunResult whole = Run({"--hashes", "whole.txt", "--fps", "10", "demo.xml"});
  ASSERT_EQ(0, whole.status) << whole.err;
  const std::map<int, std::string> all = FrameHashes(ReadFile(Path("whole.txt")));
  ASSERT_EQ(11u, all.size());
  for (const auto& [index, hash] : all) {
    if (index > 0) {
      EXPECT_NE(all.at(index - 1), hash) << "frames " << index - 1 << " and " << index;
    }
  }
  // One, two and three frames, each span ending with the demo's last frame.
  for (const std::string from : {"1000", "900", "800"}) {
    const std::string name = "from" + from + ".txt";
    const RunResult piece = Run(
        {"--hashes", name, "--capture", "png" + from, "--fps", "10", "--from", from, "demo.xml"});
    ASSERT_EQ(0, piece.status) << piece.err;
    const std::map<int, std::string> part = FrameHashes(ReadFile(Path(name)));
    const int first = std::stoi(from) / 100;
    ASSERT_EQ(static_cast<size_t>(11 - first), part.size()) << "from " << from;
    EXPECT_EQ(11 - first, CountFrames("png" + from)) << "from " << from;
    for (const auto& [index, hash] : part) {
      EXPECT_EQ(all.at(index), hash) << "frame " << index << " of the render from " << from;
    }
  }
}

TEST_F(ReadbackOrderTest, ARenderLargerThanTheDisplayIsCapturedWhole) {
  Write("demo.xml", ChangingScript());
  const RunResult run =
      Run({"--capture", "big", "--size", "1600x1200", "--fps", "10", "--to", "100", "demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  ASSERT_EQ(2, CountFrames("big"));
  const Picture last = Frame("big", 1);
  ASSERT_TRUE(last.ok());
  EXPECT_EQ(1600, last.width);
  EXPECT_EQ(1200, last.height);
  // The background at 100 ms, a tenth of the way to white, reaches the far corner.
  const vexil::test::Rgba corner = last.At(1599, 1199);
  EXPECT_NEAR(25, corner.r, 1);
  EXPECT_EQ(corner.r, corner.g);
  EXPECT_EQ(corner.r, corner.b);
}

}  // namespace
}  // namespace vexil_e2e

// The bundled demo against its golden frames: each moment listed in times.txt is captured by
// the player and compared with demo-MS.png. A frame matches when at most 1 % of its pixels
// differ by more than 16 in a channel: enough for rounding between CPUs and GL drivers, far
// too little for a moved, missing, recoloured or differently blended effect. On a mismatch the
// captured frame is kept as golden-MS.png beside the test binaries for a look. The times, one
// or two in each scene of the demo, are moments where something must be seen.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

// The one frame a render of one moment writes, named by its number from the demo's start.
std::string OnlyFrame(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("frame-", 0) == 0 && entry.path().extension() == ".png") {
      return entry.path().string();
    }
  }
  return folder + "/no-frame.png";
}

constexpr int kChannelTolerance = 16;
constexpr double kMaxDifferentShare = 0.01;

std::vector<int> GoldenTimes() {
  std::vector<int> times;
  std::ifstream list(VEXIL_GOLDEN_DIR "/times.txt");
  for (int ms; list >> ms;) times.push_back(ms);
  return times;
}

TEST(GoldenFrames, TheBundledDemoLooksAsItsGoldenFrames) {
  const std::vector<int> times = GoldenTimes();
  ASSERT_FALSE(times.empty()) << "tests/golden/times.txt lists no times";
  vexil::test::ScratchDir out;
  // Played from links to the built demo's files: its timing aid writes timing.txt where it plays.
  vexil::test::ScratchDir demo;
  ASSERT_TRUE(demo.LinkFilesFrom(VEXIL_DEMO_DIR));
  for (int ms : times) {
    SCOPED_TRACE("demo time " + std::to_string(ms) + " ms");
    const std::string folder = out.File(std::to_string(ms));
    const vexil::test::RunResult run = vexil::test::RunPlayer(
        {"--capture", folder, "--from", std::to_string(ms), "--to", std::to_string(ms), "demo.gma"},
        demo.path());
    ASSERT_EQ(0, run.status) << run.err;
    const vexil::test::Picture expected =
        vexil::test::LoadPng(VEXIL_GOLDEN_DIR "/demo-" + std::to_string(ms) + ".png");
    const vexil::test::Picture actual = vexil::test::LoadPng(OnlyFrame(folder));
    ASSERT_TRUE(expected.ok()) << "no golden frame: run scripts/update-golden-frames.sh";
    ASSERT_TRUE(actual.ok()) << "the capture wrote no frame";
    // The times are moments where effects draw: a black frame kept as golden would be a bug
    // made permanent.
    EXPECT_GT(vexil::test::LitShare(actual), 0.1) << "the frame is mostly black";
    const vexil::test::FrameDifference difference =
        vexil::test::CompareFrames(expected, actual, kChannelTolerance);
    ASSERT_TRUE(difference.sameSize) << actual.width << " x " << actual.height;
    EXPECT_LE(difference.share, kMaxDifferentShare)
        << difference.differentPixels << " pixels differ (largest channel difference "
        << difference.largestChannelDifference << "); if the change is meant, run "
        << "scripts/update-golden-frames.sh and commit the new frames";
    if (difference.share > kMaxDifferentShare) {
      vexil::test::WritePng(std::string(VEXIL_BIN_DIR) + "/golden-" + std::to_string(ms) + ".png",
                            actual.rgba, actual.width, actual.height);
    }
  }
}

}  // namespace

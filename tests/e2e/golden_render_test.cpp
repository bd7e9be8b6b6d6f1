// The vexil binary writing and checking golden renders: the manifest lists every frame with its
// time and the hash of exactly the pixels the PNG capture holds, plus the music; --verify
// passes on the same script and names the first frame a changed script renders differently.
#include <gtest/gtest.h>
#include <xxhash.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

// A red background that steps to blue at `step` ms, from 0 to `end` ms.
std::string SteppedScript(const std::string& step = "500", const std::string& end = "1000",
                          const std::string& extra = "") {
  return Script("<m type=\"fill\" start=\"0\" end=\"" + end +
                "\"><param name=\"color\" type=\"squarecolor\"><key time=\"0\" "
                "value=\"#FFFF0000\"/><key time=\"" +
                step + "\" value=\"#FF0000FF\"/></param></m>" + extra);
}

std::string Hex(XXH128_hash_t hash) {
  char text[33];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                static_cast<unsigned long long>(hash.low64));
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

using GoldenRenderTest = PlayerTest;

TEST_F(GoldenRenderTest, TheManifestHashesThePixelsOfEveryFrameAndTheMusic) {
  Write("demo.xml", SteppedScript());
  const RunResult run =
      Run({"--hashes", "golden.txt", "--capture", "png", "--fps", "10", "demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  const std::vector<std::string> lines = Lines(ReadFile(Path("golden.txt")));
  std::vector<std::string> frames;
  std::string audio;
  for (const std::string& line : lines) {
    if (line.rfind("frame ", 0) == 0) frames.push_back(line);
    if (line.rfind("audio ", 0) == 0) audio = line;
  }
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "size 64x48"));
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "fps 10"));
  ASSERT_EQ(11u, frames.size()) << "0, 100, ..., 1000 ms";
  for (int k = 0; k < 11; ++k) {
    const Picture png = Frame("png", k);
    ASSERT_TRUE(png.ok());
    std::string rgb;
    for (size_t i = 0; i < png.rgba.size(); i += 4) {
      rgb.append(reinterpret_cast<const char*>(&png.rgba[i]), 3);
    }
    char expected[96];
    std::snprintf(expected, sizeof expected, "frame %d %d.000 ", k, k * 100);
    EXPECT_EQ(expected + Hex(XXH3_128bits(rgb.data(), rgb.size())), frames[k])
        << "the hash of the frame's RGB pixels, as the PNG holds them";
  }
  const std::string wav = ReadFile(Path("png/audio.wav"));
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ("audio 44100 48510 " + Hex(XXH3_128bits(wav.data() + 44, wav.size() - 44)), audio)
      << "11 frames of 4410 samples, hashed as the WAV stores them";
}

TEST_F(GoldenRenderTest, VerifyPassesOnTheSameScriptAndNamesTheFirstChangedFrame) {
  Write("demo.xml", SteppedScript());
  ASSERT_EQ(0, Run({"--hashes", "golden.txt", "--fps", "10", "demo.xml"}).status);
  EXPECT_FALSE(FileExists(Path("png"))) << "--hashes alone writes no pictures";

  RunResult run = Run({"--verify", "golden.txt", "demo.xml"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Contains(run.out, "all 11 frames and the music match golden.txt")) << run.out;

  // The step moves from 500 to 700 ms: frames 5 and 6 are red now instead of blue.
  Write("demo.xml", SteppedScript("700"));
  run = Run({"--verify", "golden.txt", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.out, "frame 5 at 500.000 ms is the first that differs")) << run.out;
  EXPECT_TRUE(Contains(run.out, "2 of 11 frames differ; the music matches")) << run.out;
}

TEST_F(GoldenRenderTest, VerifyCountsFramesTheDemoNoLongerRendersOrRendersAnew) {
  Write("demo.xml", SteppedScript());
  ASSERT_EQ(0, Run({"--hashes", "golden.txt", "--fps", "10", "demo.xml"}).status);

  Write("demo.xml", SteppedScript("500", "800"));
  RunResult run = Run({"--verify", "golden.txt", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.out, "frame 9 at 900.000 ms is missing")) << run.out;
  EXPECT_TRUE(Contains(run.out, "2 of 11 frames differ; the music differs"))
      << run.out << "the shorter render has less music too";

  Write("demo.xml", SteppedScript("500", "1200"));
  run = Run({"--verify", "golden.txt", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.out, "frame 11 at 1100.000 ms is new")) << run.out;
  EXPECT_TRUE(Contains(run.out, "2 of 13 frames differ")) << run.out;
}

TEST_F(GoldenRenderTest, VerifyNoticesChangedMusicAlone) {
  Write("tone.wav", StereoWav(44100, [](int i) { return static_cast<int16_t>((i % 100) * 50); }));
  const std::string sound =
      "<m type=\"sound\" start=\"200\" end=\"1000\"><param name=\"file\" type=\"string\" "
      "value=\"tone.wav\"/></m>";
  Write("demo.xml", SteppedScript("500", "1000", sound));
  ASSERT_EQ(0, Run({"--hashes", "golden.txt", "--fps", "10", "demo.xml"}).status);

  Write("demo.xml", SteppedScript("500", "1000",
                                  "<m type=\"sound\" start=\"300\" end=\"1000\"><param "
                                  "name=\"file\" type=\"string\" value=\"tone.wav\"/></m>"));
  const RunResult run = Run({"--verify", "golden.txt", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.out, "0 of 11 frames differ; the music differs")) << run.out;
}

TEST_F(GoldenRenderTest, VerifyRendersAsTheManifestWasMade) {
  Write("demo.xml", SteppedScript());
  ASSERT_EQ(0, Run({"--hashes", "golden.txt", "--fps", "20", "--size", "32x24", "--from", "250",
                    "--to", "650", "demo.xml"})
                   .status);
  RunResult run = Run({"--verify", "golden.txt", "demo.xml"});
  EXPECT_EQ(0, run.status) << run.out << run.err;
  EXPECT_TRUE(Contains(run.out, "all 9 frames")) << run.out << "250 to 650 ms at 20 fps";

  run = Run({"--verify", "golden.txt", "--fps", "20", "--size", "32x24", "demo.xml"});
  EXPECT_EQ(0, run.status) << "the manifest's own values may be repeated: " << run.err;
  run = Run({"--verify", "golden.txt", "--fps", "30", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "made at 20 fps and 32x24")) << run.err;
}

TEST_F(GoldenRenderTest, ADamagedManifestIsRefusedWithItsLine) {
  Write("demo.xml", SteppedScript());
  ASSERT_EQ(0, Run({"--hashes", "golden.txt", "--fps", "10", "demo.xml"}).status);
  std::string text = ReadFile(Path("golden.txt"));
  const size_t frame3 = text.find("frame 3 ");
  ASSERT_NE(std::string::npos, frame3);
  text.insert(frame3 + 20, "zz");
  Write("golden.txt", text);
  const RunResult run = Run({"--verify", "golden.txt", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_TRUE(Contains(run.err, "golden.txt")) << run.err;
  EXPECT_TRUE(Contains(run.err, "line 10")) << run.err;
  EXPECT_TRUE(Contains(run.err, "hash")) << run.err;

  const RunResult missing = Run({"--verify", "nothing.txt", "demo.xml"});
  EXPECT_EQ(1, missing.status);
  EXPECT_TRUE(Contains(missing.err, "nothing.txt")) << missing.err;

  // A file far larger than any manifest is refused unread (it is sparse: no disk is used).
  Write("huge.txt", "");
  std::filesystem::resize_file(Path("huge.txt"), std::uintmax_t{1} << 30);
  const RunResult huge = Run({"--verify", "huge.txt", "demo.xml"});
  EXPECT_EQ(1, huge.status);
  EXPECT_TRUE(Contains(huge.err, "larger than any vexil makes")) << huge.err;
}

}  // namespace
}  // namespace vexil_e2e

// The vexil binary in capture mode on scripts of the test module library: how many frames,
// which colours per layer order, per time and through a render target, the audio file, and
// that two runs give identical files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "container/container_cipher.h"
#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;

std::string Fill(const std::string& color, int layer, const std::string& span = "0\" end=\"1000",
                 const std::string& extra = "") {
  return "<m type=\"fill\" start=\"" + span + "\" layer=\"" + std::to_string(layer) +
         "\"><param name=\"color\" type=\"color\" value=\"#FF" + color + "\"/>" + extra + "</m>";
}

using CaptureTest = PlayerTest;

TEST_F(CaptureTest, RendersOneFramePerStepUntilTheLastModuleEnds) {
  Write("demo.xml", Script(Fill("FF0000", 0)));
  const RunResult run = Run({"--capture", "out", "--fps", "10", "demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  // Times 0, 100, ..., 1000: the end is inclusive, 1100 is past it.
  EXPECT_EQ(11, CountFrames("out"));
  const Picture first = Frame("out", 0);
  ASSERT_TRUE(first.ok());
  EXPECT_EQ(64, first.width) << "the script's width is the frame width";
  EXPECT_EQ(48, first.height);
  EXPECT_EQ(kRed, first.Rgb(0, 0));
  EXPECT_EQ(kRed, first.Rgb(63, 47));
}

TEST_F(CaptureTest, WritesTheAudioOfTheCapturedSpan) {
  Write("demo.xml", Script(Fill("FF0000", 0, "0\" end=\"900")));
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "10", "demo.xml"}).status);
  const std::string wav = ReadFile(Path("out/audio.wav"));
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ("RIFF", wav.substr(0, 4));
  // Ten frames of 1/10 s at 44100 Hz, 16-bit stereo, after the 44-byte header.
  EXPECT_EQ(44u + 44100u * 4u, wav.size());
}

TEST_F(CaptureTest, ASpanAfterTheEndFailsWithoutWritingAnything) {
  Write("demo.xml", Script(Fill("FF0000", 0, "0\" end=\"100")));
  const RunResult run = Run({"--capture", "out", "--from", "5000", "demo.xml"});
  EXPECT_EQ(1, run.status) << "a render of no frame is no render";
  EXPECT_NE(std::string::npos, run.err.find("holds no frame")) << run.err;
  EXPECT_EQ(0, CountFrames("out"));
  EXPECT_FALSE(FileExists(Path("out/audio.wav")));
}

// The left-channel samples of a 16-bit stereo WAV written by a capture.
std::vector<int16_t> LeftSamples(const std::string& wav) {
  std::vector<int16_t> left;
  for (size_t i = 44; i + 3 < wav.size(); i += 4) {
    left.push_back(static_cast<int16_t>(static_cast<uint8_t>(wav[i]) |
                                        (static_cast<uint8_t>(wav[i + 1]) << 8)));
  }
  return left;
}

TEST_F(CaptureTest, MusicStartsInTheAudioExactlyWithItsFirstFrame) {
  Write("tone.wav", StereoWav(44100 * 2, [](int) { return int16_t{8000}; }));
  const std::string sound =
      "<m type=\"sound\" start=\"500\" end=\"1000\">"
      "<param name=\"file\" type=\"string\" value=\"tone.wav\"/></m>";
  Write("demo.xml", Script(Fill("FF0000", 0) + sound));
  const RunResult run = Run({"--capture", "out", "--fps", "10", "demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  const std::vector<int16_t> left = LeftSamples(ReadFile(Path("out/audio.wav")));
  ASSERT_EQ(11u * 4410u, left.size());
  // Frame 5 (500 ms) starts the sound; its audio begins at sample 5 * 4410.
  int loud_before = 0;
  for (size_t i = 0; i < 22050; ++i) loud_before += left[i] != 0;
  EXPECT_EQ(0, loud_before) << "silence before the module's first frame";
  int silent_after = 0;
  for (size_t i = 22050; i < left.size(); ++i) silent_after += left[i] == 0;
  EXPECT_EQ(0, silent_after) << "the sound plays from its first frame on";
}

TEST_F(CaptureTest, HigherLayersDrawOverLowerOnesWhateverTheScriptOrder) {
  const std::string left_half_green =
      "<m type=\"fillrect\" start=\"0\" end=\"100\" layer=\"2\">"
      "<param name=\"color\" type=\"color\" value=\"#FF00FF00\"/>"
      "<param name=\"right\" type=\"long\" value=\"32\"/>"
      "<param name=\"bottom\" type=\"long\" value=\"48\"/></m>";
  Write("demo.xml", Script(left_half_green + Fill("FF0000", -1, "0\" end=\"100")));
  ASSERT_EQ(0, Run({"--capture", "out", "demo.xml"}).status);
  const Picture frame = Frame("out", 0);
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(kGreen, frame.Rgb(5, 24)) << "layer 2 draws after layer -1";
  EXPECT_EQ(kGreen, frame.Rgb(31, 24));
  EXPECT_EQ(kRed, frame.Rgb(32, 24)) << "outside the rectangle the lower layer shows";
  EXPECT_EQ(kRed, frame.Rgb(60, 10));
}

TEST_F(CaptureTest, EqualLayersDrawInScriptOrder) {
  Write("demo.xml", Script(Fill("FF0000", 0, "0\" end=\"0") + Fill("0000FF", 0, "0\" end=\"0")));
  ASSERT_EQ(0, Run({"--capture", "out", "demo.xml"}).status);
  EXPECT_EQ(kBlue, Frame("out", 0).Rgb(10, 10)) << "the later module of a layer draws last";
}

TEST_F(CaptureTest, FramesShowTheValueAtTheirOwnTime) {
  // Module from 1000 ms: its own time is 0 there, and its colour steps to blue at 500.
  const std::string stepped =
      "<m type=\"fill\" start=\"1000\" end=\"2000\" layer=\"1\">"
      "<param name=\"color\" type=\"squarecolor\">"
      "<key time=\"0\" value=\"#FF0000\"/><key time=\"500\" value=\"#0000FF\"/></param></m>";
  Write("demo.xml", Script(stepped + Fill("00FF00", 0, "0\" end=\"2000")));
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "4", "demo.xml"}).status);
  ASSERT_EQ(9, CountFrames("out"));  // 0, 250, ..., 2000
  EXPECT_EQ(kGreen, Frame("out", 3).Rgb(1, 1)) << "750 ms: only the background plays";
  EXPECT_EQ(kRed, Frame("out", 4).Rgb(1, 1)) << "1000 ms: module time 0";
  EXPECT_EQ(kRed, Frame("out", 5).Rgb(1, 1)) << "1250 ms: module time 250";
  EXPECT_EQ(kBlue, Frame("out", 6).Rgb(1, 1)) << "1500 ms: module time 500";
  EXPECT_EQ(kBlue, Frame("out", 8).Rgb(1, 1)) << "2000 ms: the last frame";
}

TEST_F(CaptureTest, FromAndToNarrowTheCapturedSpan) {
  const std::string stepped =
      "<m type=\"fill\" start=\"0\" end=\"2000\">"
      "<param name=\"color\" type=\"squarecolor\">"
      "<key time=\"0\" value=\"#FF0000\"/><key time=\"400\" value=\"#0000FF\"/></param></m>";
  Write("demo.xml", Script(stepped));
  ASSERT_EQ(
      0,
      Run({"--capture", "out", "--fps", "10", "--from", "200", "--to", "500", "demo.xml"}).status);
  EXPECT_EQ(4, CountFrames("out")) << "200, 300, 400 and 500 ms";
  // Frames keep their numbers from the render's start, as in a whole render.
  EXPECT_FALSE(FileExists(Path("out/frame-000000.png")));
  EXPECT_EQ(kRed, Frame("out", 2).Rgb(0, 0)) << "frame 2 is 200 ms";
  EXPECT_EQ(kBlue, Frame("out", 4).Rgb(0, 0)) << "frame 4 is 400 ms";
  EXPECT_TRUE(FileExists(Path("out/frame-000005.png")));
}

TEST_F(CaptureTest, StartTimeSettingMovesTheFirstFrame) {
  const std::string settings =
      "<width value=\"64\"/><height value=\"48\"/><starttime value=\"1000.9\"/>";
  Write("demo.xml",
        Script(Fill("FF0000", 0, "0\" end=\"999") + Fill("0000FF", 1, "1000\" end=\"1500"), "",
               settings));
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "10", "demo.xml"}).status);
  EXPECT_EQ(6, CountFrames("out")) << "1000 to 1500 ms; the fraction of starttime is not read";
  EXPECT_EQ(kBlue, Frame("out", 0).Rgb(0, 0));
}

TEST_F(CaptureTest, TheStartOptionMovesTheFirstFrameAheadOfTheSettings) {
  const std::string settings =
      "<width value=\"64\"/><height value=\"48\"/><starttime value=\"200\"/>";
  Write("demo.xml",
        Script(Fill("FF0000", 0, "0\" end=\"999") + Fill("0000FF", 1, "1000\" end=\"1500"), "",
               settings));
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "10", "--start", "1000", "demo.xml"}).status);
  EXPECT_EQ(6, CountFrames("out")) << "1000 to 1500 ms";
  EXPECT_EQ(kBlue, Frame("out", 0).Rgb(0, 0));
}

TEST_F(CaptureTest, ModulesRenderIntoScheduledRenderTargets) {
  const std::string resources =
      "<r type=\"rendertarget\" name=\"rt\"><param name=\"width\" type=\"long\" value=\"32\"/>"
      "<param name=\"height\" type=\"long\" value=\"32\"/></r>";
  // Layer 0 fills the target green, layer 1 the screen red, and layer 2 draws the target over
  // the whole screen: green can only reach the frame through the texture.
  const std::string timeline = Fill("00FF00", 0, "0\" end=\"0", "<target value=\"rt\"/>") +
                               Fill("FF0000", 1, "0\" end=\"0") +
                               "<m type=\"texquad\" start=\"0\" end=\"0\" layer=\"2\">"
                               "<param name=\"texture\" type=\"string\" value=\"rt\"/></m>";
  Write("demo.xml", Script(timeline, resources));
  ASSERT_EQ(0, Run({"--capture", "out", "demo.xml"}).status);
  const Picture frame = Frame("out", 0);
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(kGreen, frame.Rgb(32, 24)) << "the target's content reaches the screen";
  EXPECT_EQ(kGreen, frame.Rgb(1, 1));
}

TEST_F(CaptureTest, AScriptPlaysFromAnotherWorkingFolderWithTheFilesBesideIt) {
  // The picture lies beside the script, which is run from the folder above it.
  std::filesystem::create_directories(Path("show/gfx"));
  ASSERT_TRUE(vexil::test::WritePng(Path("show/gfx/green.png"), 4, 4,
                                    [](int, int) { return 0xFF00FF00u; }));
  const std::string resources =
      "<t type=\"texture\" name=\"pic\">"
      "<param name=\"filename\" type=\"string\" value=\"gfx\\green.png\"/></t>";
  const std::string timeline = Fill("FF0000", 0, "0\" end=\"0") +
                               "<m type=\"texquad\" start=\"0\" end=\"0\" layer=\"1\">"
                               "<param name=\"texture\" type=\"string\" value=\"pic\"/></m>";
  std::string script = Script(timeline, resources);
  script.replace(script.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
  Write("show/demo.xml", script);
  const RunResult run = Run({"--capture", "out", "show/demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  const Picture frame = Frame("out", 0);
  ASSERT_TRUE(frame.ok());
  EXPECT_EQ(kGreen, frame.Rgb(32, 24)) << "the picture beside the script was loaded";
}

TEST_F(CaptureTest, ScheduleSwitchesFromTextureToScreenAtItsKeyTime) {
  const std::string resources = "<r type=\"rendertarget\" name=\"rt\"/>";
  const std::string schedule =
      "<target><key time=\"0\" value=\"rt\"/><key time=\"500\" value=\"_screen\"/></target>";
  Write("demo.xml",
        Script(Fill("FF0000", 0, "0\" end=\"1000") + Fill("0000FF", 1, "0\" end=\"1000", schedule),
               resources));
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "4", "demo.xml"}).status);
  EXPECT_EQ(kRed, Frame("out", 1).Rgb(3, 3)) << "250 ms: blue goes into the texture";
  EXPECT_EQ(kBlue, Frame("out", 2).Rgb(3, 3)) << "500 ms: blue goes to the screen";
}

TEST_F(CaptureTest, TwoRunsGiveIdenticalFiles) {
  const std::string stepped =
      "<m type=\"fill\" start=\"0\" end=\"600\">"
      "<param name=\"color\" type=\"linearcolor\">"
      "<key time=\"0\" value=\"#000000\"/><key time=\"600\" value=\"#FFFFFF\"/></param></m>";
  Write("demo.xml", Script(stepped));
  ASSERT_EQ(0, Run({"--capture", "a", "--fps", "25", "demo.xml"}).status);
  ASSERT_EQ(0, Run({"--capture", "b", "--fps", "25", "demo.xml"}).status);
  const int count = CountFrames("a");
  ASSERT_EQ(16, count);
  ASSERT_EQ(count, CountFrames("b"));
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", i);
    EXPECT_EQ(ReadFile(Path("a") + name), ReadFile(Path("b") + name)) << "frame " << i;
  }
  EXPECT_EQ(ReadFile(Path("a/audio.wav")), ReadFile(Path("b/audio.wav")));
  EXPECT_NE(Frame("a", 0).Rgb(0, 0), Frame("a", 15).Rgb(0, 0)) << "the colour does move";
}

TEST_F(CaptureTest, ACaptureIntoAnOldFolderLeavesNoStaleFrames) {
  Write("long.xml", Script(Fill("FF0000", 0, "0\" end=\"1000")));
  Write("short.xml", Script(Fill("FF0000", 0, "0\" end=\"200")));
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "10", "long.xml"}).status);
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "10", "short.xml"}).status);
  EXPECT_EQ(3, CountFrames("out"));
}

TEST_F(CaptureTest, ContainersAreDecodedInMemoryInAnyLetterCase) {
  std::string bytes = Script(Fill("0000FF", 0, "0\" end=\"0"));
  ASSERT_TRUE(vexil::EncodeContainer(&bytes));
  Write("DEMO.GMA", bytes);
  const RunResult run = Run({"--capture", "out", "DEMO.GMA"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(kBlue, Frame("out", 0).Rgb(0, 0));
  EXPECT_FALSE(FileExists(Path("zuraviklick"))) << "no plain text on disk";
}

TEST_F(CaptureTest, PluginsShippedBesideTheScriptAreFound) {
  std::filesystem::create_directories(Path("show"));
  std::filesystem::copy_file(VEXIL_BIN_DIR "/libvexil_e2e_modules.so", Path("show/libmyfx.so"));
  std::string script = Script(Fill("0000FF", 0, "0\" end=\"0"));
  const std::string ours = "vexil_e2e_modules.dll";
  script.replace(script.find(ours), ours.size(), "MyFx.dll");
  Write("show/demo.xml", script);
  const RunResult run = Run({"--capture", "out", "show/demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(kBlue, Frame("out", 0).Rgb(0, 0)) << "the module came from show/libmyfx.so";
}

TEST_F(CaptureTest, PathWordsAfterTheOptionsAreJoinedWithSpaces) {
  Write("my demo.xml", Script(Fill("0000FF", 0, "0\" end=\"0")));
  const RunResult run = Run({"--capture", "out", "--", "my", "demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(1, CountFrames("out"));
}

}  // namespace
}  // namespace vexil_e2e

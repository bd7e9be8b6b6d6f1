// The bundled demo, played from BUILD/demo as a user plays it.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "module_types.h"
#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

using vexil::test::BuiltProgram;
using vexil::test::LoadPng;
using vexil::test::Picture;
using vexil::test::ReadFile;
using vexil::test::RunPlayer;
using vexil::test::RunProgram;
using vexil::test::RunResult;
using vexil::test::ScratchDir;

const std::string kDemo = std::string(VEXIL_BIN_DIR) + "/../demo";

// The built demo's files linked into a scratch folder to play from: the demo's timing aid
// writes timing.txt into the folder it plays from, which must not be the build's.
class PlayFolder : public ScratchDir {
 public:
  PlayFolder() { EXPECT_TRUE(LinkFilesFrom(kDemo)) << "cannot link " << kDemo; }
};

// The music's bars: 128 beats a minute, four beats a bar.
constexpr double kBar = 4.0 * 60.0 / 128.0;

TEST(BundledDemoTest, EveryModuleTypeOfTheCatalogueIsOnTheTimeline) {
  const std::set<std::string> catalogue = vexil::test::CatalogueModuleTypes();
  ASSERT_EQ(14u, catalogue.size());

  TiXmlDocument script;
  ASSERT_TRUE(script.LoadFile(kDemo + "/demo.xml")) << script.ErrorDesc();
  const TiXmlElement* timeline = script.RootElement()->FirstChildElement("timeline");
  ASSERT_NE(nullptr, timeline);
  std::set<std::string> used;
  for (const TiXmlElement* e = timeline->FirstChildElement(); e; e = e->NextSiblingElement()) {
    if (e->Attribute("type")) used.insert(vexil::test::LowerCase(e->Attribute("type")));
  }
  for (const std::string& type : catalogue)
    EXPECT_EQ(1u, used.count(type)) << type << " is missing";
}

TEST(BundledDemoTest, CheckFindsNothing) {
  PlayFolder folder;
  const RunResult run = RunPlayer({"--check", "demo.gma"}, folder.path());
  EXPECT_EQ(0, run.status) << run.out << run.err;
  // Notes (the credits hand over on a shared frame) are no findings.
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("line ", 0) != 0) continue;
    EXPECT_NE(std::string::npos, line.find(": note: ")) << line;
  }
  EXPECT_NE(std::string::npos, run.out.find("demo.gma: 77 modules on 26 layers")) << run.out;
}

// Half a second across the cut from the build into the drop, captured twice: the zoom blur
// burning white, the flash and the first frames of the tunnel and the comet, whose rings move
// frame by frame from the frames before. Both runs write the same files, and no frame is
// black. (The golden frames show one moment of every scene; the whole demo is not captured
// here, to keep the test short.)
TEST(BundledDemoTest, CapturesTheSameFramesTwiceWithoutBlackHoles) {
  PlayFolder folder;
  ScratchDir out;
  for (const char* run_folder : {"a", "b"}) {
    const RunResult run = RunPlayer({"--capture", out.File(run_folder), "--fps", "30", "--from",
                                     "29800", "--to", "30300", "demo.gma"},
                                    folder.path());
    ASSERT_EQ(0, run.status) << run.err;
  }
  EXPECT_FALSE(ReadFile(folder.File("timing.txt")).empty()) << "the timing aid ran, unseen";
  // Frames keep their numbers from the demo's start: 29.8 s at 30 fps is frame 894.
  constexpr int kFirst = 894;
  int frames = 0;
  for (;; ++frames) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", kFirst + frames);
    const std::string a = ReadFile(out.File("a") + name);
    if (a.empty()) break;
    EXPECT_TRUE(a == ReadFile(out.File("b") + name)) << "frame " << kFirst + frames << " differs";
    const Picture frame = LoadPng(out.File("a") + name);
    ASSERT_TRUE(frame.ok());
    EXPECT_EQ(640, frame.width);
    EXPECT_EQ(480, frame.height);
    EXPECT_GT(vexil::test::LitShare(frame), 0.1) << "frame " << frames << " is mostly black";
  }
  EXPECT_EQ(16, frames) << "29.8 s to 30.3 s at 30 frames a second";
  EXPECT_TRUE(ReadFile(out.File("a/audio.wav")) == ReadFile(out.File("b/audio.wav")));
}

// The RMS level in dB of the stereo samples between two times.
double Level(const std::vector<float>& samples, int rate, double from, double to) {
  const long first = std::lround(from * rate), last = std::lround(to * rate);
  double sum = 0.0;
  for (long i = first * 2; i < last * 2; ++i) sum += samples[i] * samples[i];
  return 10.0 * std::log10(sum / ((last - first) * 2.0) + 1e-12);
}

TEST(BundledDemoTest, MusicIsTwoMinutesInSectionsWithoutClipping) {
  SF_INFO info{};
  SNDFILE* file = sf_open((kDemo + "/music.ogg").c_str(), SFM_READ, &info);
  ASSERT_NE(nullptr, file) << sf_strerror(nullptr);
  ASSERT_EQ(2, info.channels);
  std::vector<float> samples(static_cast<size_t>(info.frames) * 2);
  const sf_count_t read = sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  ASSERT_EQ(info.frames, read);
  EXPECT_NEAR(122.5, static_cast<double>(info.frames) / info.samplerate, 0.05)
      << "64 bars and the last chord's tail";

  float peak = 0.0f;
  for (float s : samples) peak = std::max(peak, std::fabs(s));
  EXPECT_LT(peak, 0.95f) << "headroom left after encoding: nothing clips";

  auto bars = [&](int first, int last) {
    return Level(samples, info.samplerate, first * kBar, last * kBar);
  };
  const double intro = bars(0, 8), build = bars(8, 16), drop = bars(16, 32);
  const double breakdown = bars(32, 36), drop2 = bars(40, 56), outro_end = bars(60, 64);
  EXPECT_LT(intro, build - 4) << "the kick comes in with the build";
  EXPECT_LT(build, drop);
  EXPECT_LT(breakdown, drop - 4) << "the break drops the drums";
  EXPECT_LT(breakdown, drop2 - 4);
  EXPECT_LT(outro_end, drop2 - 4) << "the outro thins out";
}

TEST(BundledDemoTest, SynthWritesTheSameMusicOnEveryRun) {
  ScratchDir scratch;
  // Two minutes of music take the synthesizer about ten seconds of one core; a busy machine
  // stretches that.
  vexil::test::RunLimits limits;
  limits.seconds = 280;
  const RunResult run =
      RunProgram(BuiltProgram("vexil-synth"), {scratch.File("music.ogg")}, "", limits);
  ASSERT_EQ(0, run.status) << run.err;
  const std::string again = ReadFile(scratch.File("music.ogg"));
  EXPECT_FALSE(again.empty());
  EXPECT_TRUE(again == ReadFile(kDemo + "/music.ogg")) << "the same bytes as the demo's music";
}

}  // namespace

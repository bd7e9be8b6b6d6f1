// The music module in the player: captures whose audio.wav holds exactly the music of the
// captured span (from a file and from a raw resource, joined mid-span), and real-time playback
// on SDL's dummy audio driver.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "effect_world.h"
#include "fsound/fsound.h"
#include "modules/fmod_module.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

using vexil::test::ScratchDir;

constexpr int kRate = 44100;

// Two sines of unrelated frequencies: no short stretch of the tone repeats, so a sample-exact
// comparison also proves the position.
std::vector<int16_t> Tone(long frames) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
  for (long f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / kRate;
    samples[2 * f] = static_cast<int16_t>(std::lround(12000.0 * std::sin(2 * M_PI * 441.0 * t)));
    samples[2 * f + 1] = static_cast<int16_t>(std::lround(9000.0 * std::sin(2 * M_PI * 173.3 * t)));
  }
  return samples;
}

bool WriteTone(const std::string& path, const std::vector<int16_t>& samples, int format) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const sf_count_t frames = static_cast<sf_count_t>(samples.size() / 2);
  const bool ok = sf_writef_short(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && ok;
}

// The interleaved samples of a capture's 16-bit stereo audio.wav (empty when it is not one).
std::vector<int16_t> ReadCaptureWav(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  std::vector<int16_t> samples;
  if (!file) return samples;
  if (info.channels == 2 && info.samplerate == kRate &&
      (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16) {
    samples.resize(static_cast<size_t>(info.frames) * 2);
    samples.resize(static_cast<size_t>(sf_readf_short(file, samples.data(), info.frames)) * 2);
  }
  sf_close(file);
  return samples;
}

// Runs the player on demo.xml in `folder` with `arguments` before it; "" when it exits with
// status 0, else the status and what it printed.
std::string PlayDemo(const std::string& folder, std::vector<std::string> arguments) {
  arguments.push_back("demo.xml");
  const vexil::test::RunResult run = vexil::test::RunPlayer(arguments, folder);
  if (run.status == 0) return "";
  return "exit status " + std::to_string(run.status) + ": " + run.out + run.err;
}

std::string Param(const char* name, const std::string& value) {
  return std::string("<param name=\"") + name + "\" type=\"string\" value=\"" + value + "\"/>";
}

std::string Script(const std::string& resources, const std::string& timeline) {
  return "<demo name=\"music\"><settings><width value=\"64\"/><height value=\"48\"/>"
         "<setupdialog value=\"0\"/></settings>"
         "<libraries><library file=\"effectpack.dll\"/></libraries><resources>" +
         resources + "</resources><timeline>" + timeline + "</timeline></demo>";
}

// The music module from 1000 to 4000 ms, reading `source` from a file or a raw resource.
std::string MusicScript(const std::string& source, bool fromMemory) {
  const std::string backdrop = "<b type=\"clearscreen\" start=\"0\" end=\"4000\"/>";
  if (!fromMemory) {
    return Script("", backdrop + "<m type=\"fmod\" start=\"1000\" end=\"4000\">" +
                          Param("filename", source) + "</m>");
  }
  return Script("<r type=\"raw\" name=\"song\">" + Param("filename", source) + "</r>",
                backdrop + "<m type=\"fmod\" start=\"1000\" end=\"4000\">" +
                    Param("filename", "song") + Param("loadfrom", "memory") + "</m>");
}

class MusicCaptureTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    tone = Tone(5 * kRate);
    ASSERT_TRUE(WriteTone(dir.File("tone.wav"), tone, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
    std::ofstream(dir.File("demo.xml")) << MusicScript("tone.wav", GetParam());
  }
  std::vector<int16_t> Capture(const std::string& from, const std::string& to) {
    EXPECT_EQ(
        "", PlayDemo(dir.path(), {"--capture", "out", "--fps", "10", "--from", from, "--to", to}));
    return ReadCaptureWav(dir.File("out/audio.wav"));
  }
  // Frames of `audio` from `from` on differing from the tone from `toneFrame` on.
  long Mismatches(const std::vector<int16_t>& audio, long from, long toneFrame) const {
    long wrong = 0;
    for (size_t i = static_cast<size_t>(from) * 2; i < audio.size(); ++i) {
      if (audio[i] != tone[static_cast<size_t>(toneFrame) * 2 + i - from * 2]) ++wrong;
    }
    return wrong;
  }

  ScratchDir dir;
  std::vector<int16_t> tone;
};

TEST_P(MusicCaptureTest, CaptureFromInsideTheSpanStartsAtTheMatchingPlaceOfTheMusic) {
  // Frames at 2500 .. 3400 ms: one second of audio, the music's 1.5 s to 2.5 s.
  const std::vector<int16_t> audio = Capture("2500", "3400");
  ASSERT_EQ(static_cast<size_t>(kRate) * 2, audio.size());
  EXPECT_EQ(0, Mismatches(audio, 0, 1500 * kRate / 1000)) << "sample-exact from 1500 ms";
}

TEST_P(MusicCaptureTest, MusicStartingInsideTheCaptureJoinsWithItsFirstFrame) {
  // Frames at 500 .. 1900 ms; the module's first frame is the one at 1000 ms.
  const std::vector<int16_t> audio = Capture("500", "1900");
  ASSERT_EQ(static_cast<size_t>(kRate) * 3 / 2 * 2, audio.size());
  long loud = 0;
  for (size_t i = 0; i < static_cast<size_t>(kRate / 2) * 2; ++i) loud += audio[i] != 0;
  EXPECT_EQ(0, loud) << "silence before the module";
  EXPECT_EQ(0, Mismatches(audio, kRate / 2, 0)) << "the music from its start";
}

INSTANTIATE_TEST_SUITE_P(FileAndMemory, MusicCaptureTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& tested) {
                           return tested.param ? "FromRawResource" : "FromFile";
                         });

TEST(MusicCaptureOggTest, CompressedMusicFromMemoryKeepsThePhaseOfTheTone) {
  ScratchDir dir;
  // A single 441 Hz sine on both channels, so the expected phase is known at every sample.
  std::vector<int16_t> sine(static_cast<size_t>(4 * kRate) * 2);
  for (size_t f = 0; f < sine.size() / 2; ++f) {
    sine[2 * f] = sine[2 * f + 1] =
        static_cast<int16_t>(std::lround(16384.0 * std::sin(2 * M_PI * 441.0 * f / kRate)));
  }
  ASSERT_TRUE(WriteTone(dir.File("tone.ogg"), sine, SF_FORMAT_OGG | SF_FORMAT_VORBIS));
  std::ofstream(dir.File("demo.xml")) << MusicScript("tone.ogg", true);
  ASSERT_EQ("", PlayDemo(dir.path(),
                         {"--capture", "out", "--fps", "10", "--from", "2500", "--to", "2900"}));
  const std::vector<int16_t> audio = ReadCaptureWav(dir.File("out/audio.wav"));
  ASSERT_EQ(static_cast<size_t>(kRate) / 2 * 2, audio.size());
  double worst = 0;
  for (size_t f = 0; f < audio.size() / 2; ++f) {
    const double expected = 0.5 * std::sin(2 * M_PI * 441.0 * (f + 1.5 * kRate) / kRate);
    worst = std::max(worst, std::fabs(expected - audio[2 * f] / 32768.0));
  }
  EXPECT_LT(worst, 0.03) << "the tone 1.5 s in, within the codec's error";
}

TEST(MusicCaptureSilenceTest, AScriptWithoutMusicCapturesSilenceOfTheSpansLength) {
  ScratchDir dir;
  std::ofstream(dir.File("demo.xml"))
      << Script("", "<b type=\"clearscreen\" start=\"0\" end=\"1000\"/>");
  ASSERT_EQ("", PlayDemo(dir.path(),
                         {"--capture", "out", "--fps", "10", "--from", "200", "--to", "700"}));
  const std::vector<int16_t> audio = ReadCaptureWav(dir.File("out/audio.wav"));
  ASSERT_EQ(static_cast<size_t>(kRate) * 6 / 10 * 2, audio.size());
  long loud = 0;
  for (int16_t s : audio) loud += s != 0;
  EXPECT_EQ(0, loud);
}

// Real-time playback on SDL's silent dummy device, for this process and the players it starts
// (the test environment's variable list does not reliably reach the test).
class MusicPlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
};

TEST_F(MusicPlaybackTest, TheModulePlaysInRealTimeOnTheDummyDriver) {
  ScratchDir dir(ScratchDir::kEnter);
  ASSERT_TRUE(WriteTone(dir.File("tone.wav"), Tone(3 * kRate), SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  EffectWorld world(false);
  ASSERT_TRUE(world.ok()) << world.error();
  effects::CFmodModule module;  // the real sound library
  module.SetWidgetManager(&world.widgets);
  module.SetDemoDevice(&world.demo);
  module.SetTimeLine(&world.timeline);
  module.SetStart(0.0f);
  TiXmlDocument document;
  document.Parse(("<m>" + Param("filename", "tone.wav") + "</m>").c_str());
  module.Parse(document.RootElement());
  module.Init();
  ASSERT_NE(nullptr, module.GetStream()) << "the tone opens";
  world.timeline.Render(500.0f);
  module.BeforeFirstRender();
  EXPECT_TRUE(FSOUND_IsPlaying(0));
  const int started = FSOUND_Stream_GetTime(module.GetStream());
  EXPECT_NEAR(500, started, 50) << "joined 500 ms in";
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const int later = FSOUND_Stream_GetTime(module.GetStream());
  EXPECT_GT(later, started + 200) << "the device consumes the stream in real time";
  module.AfterLastRender();
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  module.Free();
}

TEST_F(MusicPlaybackTest, ThePlayerRunsADemoWithMusicToItsEnd) {
  ScratchDir dir;
  ASSERT_TRUE(WriteTone(dir.File("tone.wav"), Tone(2 * kRate), SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  std::ofstream(dir.File("demo.xml"))
      << Script("<r type=\"raw\" name=\"song\">" + Param("filename", "tone.wav") + "</r>",
                "<b type=\"clearscreen\" start=\"0\" end=\"700\"/>"
                "<m type=\"fmod\" start=\"200\" end=\"700\">" +
                    Param("filename", "song") + Param("loadfrom", "memory") + "</m>");
  const vexil::test::RunResult run = vexil::test::RunPlayer({"demo.xml"}, dir.path());
  EXPECT_EQ(0, run.status);
  EXPECT_EQ("", run.out + run.err) << "no errors while playing";
}

}  // namespace

// The vexil binary writing videos: one render into PNG frames, the WAV and a video file at
// once; the video decoded again as a player would: its streams, size, frame count and duration,
// its pictures against the PNG frames within the codec's tolerance, and its audio against the
// music, aligned by the times the container gives so that an offset of one sample shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_harness.h"
#include "video_probe.h"

namespace vexil_e2e {
namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979;

// One second of a sweep from 300 Hz to 3 kHz, which lines up with itself at one offset only.
std::string SweepWav() {
  return StereoWav(kRate, [](int i) {
    const double t = static_cast<double>(i) / kRate;
    const double phase = 2.0 * kPi * (300.0 * t + 0.5 * 2700.0 * t * t);
    return static_cast<int16_t>(std::lround(12000.0 * std::sin(phase)));
  });
}

// The left channel of a capture's 16-bit stereo WAV, as floats in -1..1.
std::vector<float> WavLeft(const std::string& wav) {
  std::vector<float> left;
  for (size_t i = 44; i + 3 < wav.size(); i += 4) {
    const auto v = static_cast<int16_t>(static_cast<uint8_t>(wav[i]) |
                                        (static_cast<uint8_t>(wav[i + 1]) << 8));
    left.push_back(static_cast<float>(v) / 32768.0f);
  }
  return left;
}

// Of the offsets in -range..range (samples), the one at which the decoded audio matches the
// reference best, with how well: the share of the reference's energy left as error there.
struct Alignment {
  int offset = 0;
  double error_share = 1.0;
};
Alignment Align(const std::vector<float>& reference, const std::vector<float>& decoded, int start,
                int range) {
  Alignment best;
  for (int offset = -range; offset <= range; ++offset) {
    double error = 0.0, energy = 0.0;
    for (size_t i = 0; i < reference.size(); ++i) {
      const long j = static_cast<long>(i) + start + offset;
      const double d = j >= 0 && j < static_cast<long>(decoded.size()) ? decoded[j] : 0.0;
      error += (d - reference[i]) * (d - reference[i]);
      energy += reference[i] * reference[i];
    }
    const double share = energy > 0.0 ? error / energy : 1.0;
    if (share < best.error_share) best = {offset, share};
  }
  return best;
}

// How a decoded picture differs from the rendered one. 4:2:0 video keeps colour at half the
// resolution, so the pixels within two of a colour edge come back smeared whatever the
// encoder; everywhere else the codec's loss alone shows.
struct CodecLoss {
  double psnr = 0.0;        // over R, G and B of the whole picture, in dB
  double flat_share = 0.0;  // of the pixels away from edges, those off by more than 8 levels
  int flat_largest = 0;     // the largest channel difference there
};

CodecLoss MeasureLoss(const vexil::test::Picture& reference, const vexil::test::Picture& decoded) {
  CodecLoss loss;
  if (reference.width != decoded.width || reference.height != decoded.height) return loss;
  const int w = reference.width, h = reference.height;
  double squared = 0.0;
  long flat = 0, flat_off = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int largest = 0;
      for (int c = 0; c < 3; ++c) {
        const size_t i = (static_cast<size_t>(y) * w + x) * 4 + c;
        const int d = int(reference.rgba[i]) - int(decoded.rgba[i]);
        squared += double(d) * d;
        largest = std::max(largest, std::abs(d));
      }
      bool is_flat = true;
      for (int dy = -2; dy <= 2 && is_flat; ++dy) {
        for (int dx = -2; dx <= 2 && is_flat; ++dx) {
          const int nx = std::clamp(x + dx, 0, w - 1), ny = std::clamp(y + dy, 0, h - 1);
          is_flat = reference.Rgb(nx, ny) == reference.Rgb(x, y);
        }
      }
      if (!is_flat) continue;
      ++flat;
      loss.flat_largest = std::max(loss.flat_largest, largest);
      if (largest > 8) ++flat_off;
    }
  }
  loss.psnr = squared == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 * 3.0 * w * h / squared);
  loss.flat_share = flat > 0 ? static_cast<double>(flat_off) / flat : 1.0;
  return loss;
}

struct ExportCase {
  const char* file;
  const char* container;  // the start of the demuxer's name
  const char* video_codec;
  const char* audio_codec;
};

void PrintTo(const ExportCase& c, std::ostream* os) {
  *os << c.file;
}

class VideoExportTest : public PlayerTest, public ::testing::WithParamInterface<ExportCase> {};

// 26 frames of 160 x 120 at 25 fps: a background that changes colour, a rectangle over it,
// and the sweep from 200 ms on.
std::string ExportScript() {
  return Script(
      "<m type=\"fill\" start=\"0\" end=\"1000\" layer=\"0\"><param name=\"color\" "
      "type=\"linearcolor\"><key time=\"0\" value=\"#FF2060A0\"/><key time=\"1000\" "
      "value=\"#FFC08020\"/></param></m>"
      "<m type=\"fillrect\" start=\"0\" end=\"1000\" layer=\"1\">"
      "<param name=\"color\" type=\"color\" value=\"#FF30D050\"/>"
      "<param name=\"left\" type=\"long\" value=\"80\"/><param name=\"top\" type=\"long\" "
      "value=\"40\"/><param name=\"right\" type=\"long\" value=\"150\"/>"
      "<param name=\"bottom\" type=\"long\" value=\"110\"/></m>"
      "<m type=\"sound\" start=\"200\" end=\"1000\"><param name=\"file\" type=\"string\" "
      "value=\"sweep.wav\"/></m>",
      "", "<width value=\"160\"/><height value=\"120\"/>");
}

TEST_P(VideoExportTest, TheVideoHoldsThePicturesAndTheMusicOfTheCapture) {
  const ExportCase& c = GetParam();
  Write("sweep.wav", SweepWav());
  Write("demo.xml", ExportScript());
  const RunResult run = Run({"--capture", "png", "--video", c.file, "--fps", "25", "demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  ASSERT_EQ(26, CountFrames("png"));

  DecodedVideo video;
  std::string error;
  ASSERT_TRUE(DecodeVideoFile(Path(c.file), {0, 12, 25}, kRate, &video, &error)) << error;
  EXPECT_EQ(0u, video.container.rfind(c.container, 0)) << video.container;
  EXPECT_EQ(c.video_codec, video.video_codec);
  EXPECT_EQ(c.audio_codec, video.audio_codec);
  EXPECT_EQ(160, video.width);
  EXPECT_EQ(120, video.height);
  EXPECT_EQ(26, video.frames) << "one picture per captured frame";
  EXPECT_NEAR(25.0, video.frame_rate, 1e-6);
  EXPECT_NEAR(26.0 / 25.0, video.duration, 0.05) << "26 frames of 40 ms";

  // The codec's tolerance: away from edges the colours come back within a few levels; the
  // whole picture, edges included, stays far above what a wrong picture gives (a frame of
  // another time or a wrong colour conversion falls under 25 dB).
  ASSERT_EQ(3u, video.kept.size());
  const int numbers[] = {0, 12, 25};
  for (size_t i = 0; i < 3; ++i) {
    const Picture png = Frame("png", numbers[i]);
    const Picture& decoded = video.kept[i];
    ASSERT_EQ(png.width, decoded.width);
    ASSERT_EQ(png.height, decoded.height);
    const CodecLoss loss = MeasureLoss(png, decoded);
    EXPECT_GT(loss.psnr, 32.0) << "frame " << numbers[i];
    EXPECT_LT(loss.flat_share, 0.03)
        << "frame " << numbers[i] << ": flat areas off by up to " << loss.flat_largest;
    EXPECT_RGB_NEAR(png.At(20, 20), decoded.At(20, 20), 5) << "frame " << numbers[i];
    EXPECT_RGB_NEAR(png.At(115, 75), decoded.At(115, 75), 5) << "frame " << numbers[i];
  }

  // The audio, placed where the container says it starts relative to the first picture, is
  // the capture's music from its first sample on: the best match lies at offset 0.
  const std::vector<float> music = WavLeft(ReadFile(Path("png/audio.wav")));
  ASSERT_EQ(26u * kRate / 25u, music.size());
  ASSERT_GT(video.left.size(), music.size() * 9 / 10);
  const int start = static_cast<int>(std::lround((video.video_start - video.audio_start) * kRate));
  const Alignment alignment = Align(music, video.left, start, 1000);
  EXPECT_EQ(0, alignment.offset) << "the music starts with the first picture, to the sample; "
                                 << "video from " << video.video_start << " s, audio from "
                                 << video.audio_start << " s";
  EXPECT_LT(alignment.error_share, 0.05) << "the audio is the music";
}

INSTANTIATE_TEST_SUITE_P(Formats, VideoExportTest,
                         ::testing::Values(ExportCase{"demo.mp4", "mov,mp4", "h264", "aac"},
                                           ExportCase{"demo.mkv", "matroska", "h264", "flac"},
                                           ExportCase{"demo.webm", "matroska", "vp9", "opus"}),
                         [](const ::testing::TestParamInfo<ExportCase>& tested) {
                           return std::string(tested.param.file).substr(5);
                         });

using VideoOptionsTest = PlayerTest;

TEST_F(VideoOptionsTest, SizeRendersAtAnotherResolution) {
  Write("demo.xml", ExportScript());
  const RunResult run =
      Run({"--video", "small.mp4", "--size", "96x54", "--fps", "10", "--to", "300", "demo.xml"});
  ASSERT_EQ(0, run.status) << run.err;
  DecodedVideo video;
  std::string error;
  ASSERT_TRUE(DecodeVideoFile(Path("small.mp4"), {}, 0, &video, &error)) << error;
  EXPECT_EQ(96, video.width);
  EXPECT_EQ(54, video.height);
  EXPECT_EQ(4, video.frames) << "0, 100, 200 and 300 ms";
}

TEST_F(VideoOptionsTest, OddSizesAndUnknownExtensionsAreRefusedWithAReason) {
  Write("demo.xml", ExportScript());
  RunResult run = Run({"--video", "odd.mp4", "--size", "95x54", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("even width and height")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("95x54")) << run.err;

  run = Run({"--video", "clip.avi", "demo.xml"});
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, run.err.find(".mp4")) << run.err;
  EXPECT_FALSE(FileExists(Path("clip.avi")));
}

TEST_F(VideoOptionsTest, WithoutItsLibraryVideoExportSaysWhatIsMissing) {
  // A player whose library folder (where the engine lies) lacks libvexil_video.so, as on a
  // system built without FFmpeg: the player and every other library of the build, copied.
  const std::string player = Path("vexil");
  std::filesystem::copy_file(vexil::test::BuiltProgram("vexil"), player);
  const std::filesystem::path built = vexil::test::BuiltProgram("vexil");
  for (const auto& entry : std::filesystem::directory_iterator(built.parent_path())) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0 &&
        name != "libvexil_video.so") {
      std::filesystem::copy_file(entry.path(), Path(name));
    }
  }
  Write("demo.xml", ExportScript());
  const RunResult run = vexil::test::RunProgram(player, {"--video", "out.mp4", "demo.xml"}, dir_);
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("video export is not available")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("libavformat")) << run.err;
  EXPECT_FALSE(FileExists(Path("out.mp4")));
}

TEST_F(VideoOptionsTest, AStoppedRenderLeavesAPlayableShorterVideoAndNoManifest) {
  Write("demo.xml", Script("<m type=\"fill\" start=\"0\" end=\"3600000\"/>"));
  Write("golden.txt", "an earlier manifest");
  vexil::test::StopRequest stop;
  stop.signal = SIGTERM;
  stop.when = [this] { return FileExists(Path("png/frame-000010.png")); };
  const RunResult run = vexil::test::RunPlayer(
      {"--capture", "png", "--video", "cut.mkv", "--hashes", "golden.txt", "demo.xml"}, dir_, {},
      stop);
  ASSERT_EQ(128 + SIGTERM, run.status) << run.err;
  const int frames = CountFrames("png");
  ASSERT_GE(frames, 10);
  DecodedVideo video;
  std::string error;
  ASSERT_TRUE(DecodeVideoFile(Path("cut.mkv"), {}, 0, &video, &error)) << error;
  EXPECT_EQ(frames, video.frames) << "the video holds the frames rendered, like the folder";
  EXPECT_EQ("an earlier manifest", ReadFile(Path("golden.txt")))
      << "a cut-short render is no golden render";
}

}  // namespace
}  // namespace vexil_e2e

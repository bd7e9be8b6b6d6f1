// The outputs of an offline render without rendering: the comparison with a manifest and its
// report, the progress line's text, the video formats by extension.
#include <gtest/gtest.h>

#include <vector>

#include "capture/hash_sinks.h"
#include "capture/progress_line.h"
#include "capture/video_format.h"

namespace vexil {
namespace {

constexpr int kWidth = 4;
constexpr int kHeight = 2;

std::vector<uint8_t> Pixels(uint8_t value) {
  return std::vector<uint8_t>(kWidth * kHeight * 3, value);
}

RenderFormat Format() {
  RenderFormat format;
  format.width = kWidth;
  format.height = kHeight;
  format.fps = 10;
  format.audio_rate = 1000;
  return format;
}

// The manifest of frames whose pixels are all `values[k]`, with 100 silent samples each.
HashManifest ManifestOf(const std::vector<uint8_t>& values) {
  HashManifest manifest;
  manifest.width = kWidth;
  manifest.height = kHeight;
  manifest.fps = 10;
  manifest.audio_rate = 1000;
  AudioHasher audio;
  const std::vector<int16_t> silence(200, 0);
  for (size_t k = 0; k < values.size(); ++k) {
    const std::vector<uint8_t> pixels = Pixels(values[k]);
    manifest.frames.push_back(
        {static_cast<int64_t>(k), k * 100.0, HashBytes(pixels.data(), pixels.size())});
    audio.Add(silence.data(), 100);
  }
  manifest.audio_frames = audio.frames();
  manifest.audio = audio.Digest();
  return manifest;
}

VerifyOutcome Verify(const HashManifest& expected, const std::vector<uint8_t>& rendered) {
  VerifySink sink(expected);
  std::string error;
  EXPECT_TRUE(sink.Begin(Format(), &error)) << error;
  const std::vector<int16_t> silence(200, 0);
  for (size_t k = 0; k < rendered.size(); ++k) {
    const std::vector<uint8_t> pixels = Pixels(rendered[k]);
    EXPECT_TRUE(sink.AddFrame({static_cast<int64_t>(k), k * 100.0, pixels.data()}, &error));
    EXPECT_TRUE(sink.AddAudio(silence.data(), 100, &error));
  }
  EXPECT_TRUE(sink.Finish(RenderEnd::kComplete, &error));
  return sink.outcome();
}

TEST(VerifySinkTest, TheSameFramesMatch) {
  const VerifyOutcome outcome = Verify(ManifestOf({1, 2, 3}), {1, 2, 3});
  EXPECT_TRUE(outcome.matches());
  EXPECT_EQ(std::vector<std::string>{"all 3 frames and the music match g.txt"},
            VerifyReport(outcome, "g.txt"));
}

TEST(VerifySinkTest, TheFirstDifferingFrameIsNamedAndEveryOneCounted) {
  const VerifyOutcome outcome = Verify(ManifestOf({1, 2, 3, 4}), {1, 9, 3, 9});
  EXPECT_FALSE(outcome.matches());
  EXPECT_EQ(2, outcome.differing_frames);
  EXPECT_EQ(1, outcome.first_index);
  EXPECT_FALSE(outcome.audio_differs);
  EXPECT_EQ((std::vector<std::string>{"frame 1 at 100.000 ms is the first that differs from g.txt",
                                      "2 of 4 frames differ; the music matches"}),
            VerifyReport(outcome, "g.txt"));
}

TEST(VerifySinkTest, MissingAndNewFramesDifferAndSoDoesTheirMusic) {
  const VerifyOutcome shorter = Verify(ManifestOf({1, 2, 3}), {1});
  EXPECT_EQ(2, shorter.differing_frames);
  EXPECT_EQ(1, shorter.first_index);
  EXPECT_TRUE(shorter.audio_differs) << "less music was rendered";
  EXPECT_EQ("frame 1 at 100.000 ms is missing: the demo now ends after 1 frames, g.txt has 3",
            VerifyReport(shorter, "g.txt")[0]);

  const VerifyOutcome longer = Verify(ManifestOf({1}), {1, 2});
  EXPECT_EQ(1, longer.differing_frames);
  EXPECT_EQ(1, longer.first_index);
  EXPECT_EQ("frame 1 at 100.000 ms is new: the demo now ends after 2 frames, g.txt has 1",
            VerifyReport(longer, "g.txt")[0]);
  EXPECT_EQ("1 of 2 frames differ; the music differs", VerifyReport(longer, "g.txt")[1]);
}

TEST(VerifySinkTest, ARenderCutShortConcludesNothing) {
  for (RenderEnd end : {RenderEnd::kStopped, RenderEnd::kFailed}) {
    VerifySink sink(ManifestOf({1, 2}));
    std::string error;
    ASSERT_TRUE(sink.Begin(Format(), &error));
    EXPECT_TRUE(sink.Finish(end, &error));
    EXPECT_EQ(0, sink.outcome().differing_frames) << "no frames are called missing";
  }
}

TEST(ProgressTextTest, SaysFramesSpeedAndTimeLeft) {
  EXPECT_EQ("frame 0 of 301", ProgressText(0, 301, 0.0));
  EXPECT_EQ("frame 120 of 300, 60.0 fps, 3 s left", ProgressText(120, 300, 2.0));
  EXPECT_EQ("frame 100 of 10000, 10.0 fps, 16 min 30 s left", ProgressText(100, 10000, 10.0));
  EXPECT_EQ("frame 7, 3.5 fps", ProgressText(7, 0, 2.0)) << "no total, no time left";
  EXPECT_EQ("frame 300 of 300, 60.0 fps", ProgressText(300, 300, 5.0));
}

TEST(VideoFormatTest, TheExtensionPicksContainerAndCodecs) {
  struct Case {
    const char* path;
    const char* muxer;
    const char* video;
    const char* audio;
  };
  for (const Case& c :
       {Case{"out.mp4", "mp4", "libx264", "aac"}, Case{"OUT.MP4", "mp4", "libx264", "aac"},
        Case{"dir.v1/out", "mp4", "libx264", "aac"}, Case{"a.mkv", "matroska", "libx264", "flac"},
        Case{"a.WebM", "webm", "libvpx-vp9", "libopus"}}) {
    VideoFormat format;
    std::string error;
    ASSERT_TRUE(ChooseVideoFormat(c.path, &format, &error)) << c.path << ": " << error;
    EXPECT_EQ(c.muxer, format.muxer) << c.path;
    EXPECT_EQ(c.video, format.video_codec) << c.path;
    EXPECT_EQ(c.audio, format.audio_codec) << c.path;
  }
  VideoFormat format;
  std::string error;
  EXPECT_FALSE(ChooseVideoFormat("clip.avi", &format, &error));
  EXPECT_NE(std::string::npos, error.find("\".avi\"")) << error;
  EXPECT_NE(std::string::npos, error.find(".webm")) << error;
}

}  // namespace
}  // namespace vexil

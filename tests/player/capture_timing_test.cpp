// The arithmetic of a capture: frame times, audio spans that add up without drift, names.
#include <gtest/gtest.h>

#include "capture/capture_session.h"
#include "capture/png_sequence_sink.h"
#include "capture/render_runner.h"

namespace vexil {
namespace {

TEST(CaptureTimingTest, FrameKShowsFirstPlusKFrameIntervals) {
  CaptureOptions options;
  options.first_ms = 30000.0;
  options.fps = 60;
  EXPECT_DOUBLE_EQ(30000.0, CaptureFrameTime(options, 0));
  EXPECT_DOUBLE_EQ(30050.0, CaptureFrameTime(options, 3));
  // An hour in: computed from k, not summed, so no rounding creeps in.
  EXPECT_DOUBLE_EQ(30000.0 + 3600000.0, CaptureFrameTime(options, 216000));
}

TEST(CaptureTimingTest, AudioSpansAddUpToTheExactDuration) {
  for (int fps : {24, 25, 30, 60, 144}) {
    int64_t total = 0;
    int64_t smallest = INT64_MAX, largest = 0;
    for (int64_t k = 0; k < fps * 10; ++k) {
      const int64_t span = AudioFramesBefore(k + 1, fps, 44100) - AudioFramesBefore(k, fps, 44100);
      total += span;
      smallest = std::min(smallest, span);
      largest = std::max(largest, span);
    }
    EXPECT_EQ(441000, total) << fps << " fps: ten seconds of audio";
    EXPECT_LE(largest - smallest, 1) << fps << " fps: spans differ by one sample at most";
  }
}

TEST(CaptureTimingTest, FrameCountRunsToTheDemoEndOrTheLastTime) {
  CaptureOptions options;
  options.fps = 10;
  EXPECT_EQ(11, CaptureFrameCount(options, 1000.0)) << "0, 100, ..., 1000 ms: the end included";
  options.has_last = true;
  options.last_ms = 450.0;
  EXPECT_EQ(5, CaptureFrameCount(options, 1000.0)) << "0 to 400 ms";
  options.first_ms = 5000.0;
  EXPECT_EQ(0, CaptureFrameCount(options, 1000.0)) << "a span after the end has no frames";
}

TEST(CaptureTimingTest, ChunksCoverTheRenderOnceWithoutGaps) {
  for (int count : {2, 3, 4, 7, 31}) {
    CaptureOptions whole;
    whole.fps = 10;
    whole.has_last = true;
    whole.last_ms = 3000.0;  // frames 0 to 30
    int64_t next = 0;
    for (int k = 0; k < count; ++k) {
      CaptureOptions piece = whole;
      piece.chunk_index = k;
      piece.chunk_count = count;
      ASSERT_TRUE(ResolveChunk(&piece, 10000.0)) << k << "/" << count;
      EXPECT_EQ(next, piece.first_index) << k << "/" << count;
      const int64_t size = piece.last_index - piece.first_index + 1;
      EXPECT_GE(size, 31 / count);
      EXPECT_LE(size, 31 / count + 1);
      EXPECT_EQ(size, CaptureFrameCount(piece, 10000.0));
      next = piece.last_index + 1;
    }
    EXPECT_EQ(31, next) << count << " pieces";
  }
  CaptureOptions thin;
  thin.fps = 10;
  thin.chunk_index = 0;
  thin.chunk_count = 8;
  EXPECT_FALSE(ResolveChunk(&thin, 300.0)) << "four frames leave some of eight pieces empty";
}

TEST(CaptureTimingTest, ALaterStartIsTheFirstFrameOnTheRendersGrid) {
  CaptureOptions options;
  options.first_ms = 1000.0;
  options.fps = 30;
  EXPECT_EQ(0, FirstFrameAtOrAfter(options, 500.0));
  EXPECT_EQ(0, FirstFrameAtOrAfter(options, 1000.0));
  EXPECT_EQ(1, FirstFrameAtOrAfter(options, 1000.5));
  EXPECT_EQ(30, FirstFrameAtOrAfter(options, 2000.0)) << "a time on the grid is its own frame";
  EXPECT_EQ(31, FirstFrameAtOrAfter(options, 2000.01));
  options.first_index = 30;
  options.has_last_index = true;
  options.last_index = 44;
  EXPECT_EQ(15, CaptureFrameCount(options, 1e6));
  EXPECT_EQ(1, CaptureFrameCount(options, 2000.0)) << "the demo ends at the piece's first frame";
}

TEST(CaptureTimingTest, FromKeepsFrameNumbersAndShowsItsOwnTimeFirst) {
  PlayerOptions options;
  options.fps = 60;
  options.has_from = true;
  options.from_ms = 10000.0;
  CaptureOptions span = RenderSpan(options, 0.0);
  EXPECT_EQ(600, span.first_index) << "10 s in at 60 fps, as in the whole render";
  EXPECT_EQ(0.0, span.first_ms);
  EXPECT_EQ(600, span.replay_from) << "no piece: nothing before it is replayed";

  options.from_ms = 12345.0;  // between frames 740 and 741
  options.has_to = true;
  options.to_ms = 12345.0;
  span = RenderSpan(options, 0.0);
  EXPECT_EQ(741, span.first_index);
  EXPECT_LE(CaptureFrameTime(span, 741), 12345.0);
  EXPECT_EQ(12345.0f, static_cast<float>(CaptureFrameTime(span, 741)));
  EXPECT_EQ(1, CaptureFrameCount(span, 1e6)) << "a render of one moment holds its frame";

  options = PlayerOptions();
  options.fps = 10;
  options.has_from = true;
  options.from_ms = -500.0;  // before the start: the start moves there
  span = RenderSpan(options, 1000.0);
  EXPECT_EQ(-500.0, span.first_ms);
  EXPECT_EQ(0, span.first_index);

  options = PlayerOptions();
  options.fps = 10;
  options.has_frames = true;
  options.first_frame = 40;
  options.has_last_frame = true;
  options.last_frame = 49;
  span = RenderSpan(options, 2000.0);
  EXPECT_EQ(2000.0, span.first_ms);
  EXPECT_EQ(40, span.first_index);
  EXPECT_EQ(49, span.last_index);
  EXPECT_EQ(0, span.replay_from) << "a piece replays the render from its start";
}

TEST(CaptureTimingTest, FrameCountSaturatesPastTheLimitForSpansWithoutEnd) {
  CaptureOptions options;
  options.fps = 60;
  EXPECT_EQ(kMaxCaptureFrames + 1, CaptureFrameCount(options, 1e30)) << "a module ending at 1e30";
  options.first_ms = -2147483648.0;
  EXPECT_EQ(kMaxCaptureFrames + 1, CaptureFrameCount(options, 100.0)) << "a start time of -2^31";
  options.first_ms = 0.0;
  options.fps = 1000;
  EXPECT_EQ(kMaxCaptureFrames, CaptureFrameCount(options, kMaxCaptureFrames - 1.0))
      << "exactly the limit is allowed";
  EXPECT_EQ(kMaxCaptureFrames + 1, CaptureFrameCount(options, kMaxCaptureFrames * 1.0));
}

TEST(CaptureTimingTest, FramesAreNamedWithSixDigits) {
  EXPECT_EQ("out/frame-000000.png", FramePath("out", 0));
  EXPECT_EQ("out/frame-001234.png", FramePath("out", 1234));
  EXPECT_EQ("out/frame-1234567.png", FramePath("out", 1234567));
}

}  // namespace
}  // namespace vexil

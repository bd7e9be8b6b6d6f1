// The arithmetic of a capture: frame times, audio spans that add up without drift, names.
#include <gtest/gtest.h>

#include "capture_session.h"

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

TEST(CaptureTimingTest, FramesAreNamedWithSixDigits) {
  EXPECT_EQ("out/frame-000000.png", FramePath("out", 0));
  EXPECT_EQ("out/frame-001234.png", FramePath("out", 1234));
  EXPECT_EQ("out/frame-1234567.png", FramePath("out", 1234567));
}

}  // namespace
}  // namespace vexil

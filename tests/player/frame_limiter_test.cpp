// The main loop's limiter: frames at least one interval of demo time apart, or no limit.
#include <gtest/gtest.h>

#include "frame_limiter.h"

namespace vexil {
namespace {

TEST(FrameLimiterTest, FiftyFramesASecondAreTwentyMillisecondsApart) {
  FrameLimiter limiter(true, 50);
  ASSERT_TRUE(limiter.ShouldRender(100.0f));
  limiter.FrameRendered(100.0f);
  EXPECT_FALSE(limiter.ShouldRender(100.0f));
  EXPECT_FALSE(limiter.ShouldRender(119.99f));
  EXPECT_NEAR(5.0f, limiter.TimeUntilNextFrame(115.0f), 1e-4f);
  EXPECT_TRUE(limiter.ShouldRender(120.0f)) << "exactly one interval later renders";
  EXPECT_EQ(0.0f, limiter.TimeUntilNextFrame(120.0f));
}

TEST(FrameLimiterTest, TheFirstFrameIsMeasuredFromTimeZero) {
  FrameLimiter limiter(true, 10);
  EXPECT_FALSE(limiter.ShouldRender(50.0f)) << "the last frame time starts at 0";
  EXPECT_TRUE(limiter.ShouldRender(30000.0f)) << "a start time far from 0 renders at once";
}

TEST(FrameLimiterTest, WithoutTheLimiterEveryIterationRenders) {
  FrameLimiter limiter(false, 50);
  limiter.FrameRendered(100.0f);
  EXPECT_FALSE(limiter.limited());
  EXPECT_TRUE(limiter.ShouldRender(100.0f));
  EXPECT_TRUE(limiter.ShouldRender(100.001f));
}

TEST(FrameLimiterTest, ARateOfZeroOrLessMeansNoLimit) {
  for (int rate : {0, -1, -32768}) {
    FrameLimiter limiter(true, rate);
    limiter.FrameRendered(100.0f);
    EXPECT_FALSE(limiter.limited()) << rate;
    EXPECT_TRUE(limiter.ShouldRender(100.5f)) << "rate " << rate << " must not stop rendering";
  }
}

}  // namespace
}  // namespace vexil

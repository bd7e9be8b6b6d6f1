// The timeline panel's geometry: rows by layer, bars on the axis, ruler steps, the beat grid,
// what a click hits and the samples of a plot.
#include "edit/timeline_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using vexil::BarPlace;
using vexil::ModuleSpan;
using vexil::TimeAxis;

TEST(TimelineLayoutTest, LayersMakeRowsHighestFirstAndBarsFollowTheAxis) {
  const std::vector<ModuleSpan> modules = {
      {0, 10000, 0}, {2000, 4000, 5}, {5000, 5000, 5}, {1000, 3000, -100}};
  EXPECT_EQ((std::vector<int>{5, 0, -100}), vexil::LayerRows(modules));
  const TimeAxis axis{0, 10000, 100, 1100};
  const std::vector<BarPlace> bars = vexil::LayoutBars(modules, axis, 3.0f);
  ASSERT_EQ(4u, bars.size());
  EXPECT_EQ(1, bars[0].row);
  EXPECT_FLOAT_EQ(100, bars[0].x0);
  EXPECT_FLOAT_EQ(1100, bars[0].x1);
  EXPECT_EQ(0, bars[1].row);
  EXPECT_FLOAT_EQ(300, bars[1].x0);
  EXPECT_FLOAT_EQ(500, bars[1].x1);
  EXPECT_FLOAT_EQ(603, bars[2].x1) << "a module of one moment keeps a clickable width";
  EXPECT_EQ(2, bars[3].row);
  EXPECT_TRUE(vexil::LayerRows({}).empty());
}

TEST(TimelineLayoutTest, TheAxisMapsBothWaysAndHoldsTimesWithin) {
  const TimeAxis axis{0, 122500, 58, 638};
  EXPECT_NEAR(61250, axis.Time(axis.X(61250)), 1e-6);
  EXPECT_EQ(0, axis.Time(0)) << "left of the ruler";
  EXPECT_EQ(122500, axis.Time(5000)) << "right of the ruler";
  const TimeAxis empty{0, 0, 10, 10};
  EXPECT_EQ(0, empty.Time(10));
  EXPECT_TRUE(std::isfinite(empty.X(5)));
}

TEST(TimelineLayoutTest, RulerStepsKeepTheirSpacingAndLabelEveryFifth) {
  // Two minutes over 580 pixels with marks at least 8 apart: 2 s steps (about 9.5 px).
  const TimeAxis axis{0, 122500, 0, 580};
  const auto ticks = vexil::RulerTicks(axis, 8.0f);
  ASSERT_GE(ticks.size(), 2u);
  EXPECT_EQ(0, ticks[0].ms);
  EXPECT_EQ(2000, ticks[1].ms);
  EXPECT_TRUE(ticks[0].major);
  EXPECT_FALSE(ticks[1].major);
  EXPECT_TRUE(ticks[5].major);
  EXPECT_LE(ticks.back().ms, 122500);
  // A short span gets finer steps; an axis that starts between marks starts at the next one.
  const auto fine = vexil::RulerTicks(TimeAxis{150, 1000, 0, 850}, 8.0f);
  ASSERT_FALSE(fine.empty());
  EXPECT_EQ(150, fine[0].ms);
  EXPECT_EQ(160, fine[1].ms);
  EXPECT_TRUE(vexil::RulerTicks(TimeAxis{0, 1000, 5, 5}, 8.0f).empty());
}

TEST(TimelineLayoutTest, TheBeatGridThinsOutToBarsAndThenToNothing) {
  // 120 bpm: a beat every 500 ms, a bar every 2 s.
  const auto wide = vexil::BeatGrid(TimeAxis{0, 4000, 0, 800}, 120, 4, 5.0f);
  ASSERT_EQ(9u, wide.size());
  EXPECT_TRUE(wide[0].major);
  EXPECT_FALSE(wide[1].major);
  EXPECT_EQ(500, wide[1].ms);
  EXPECT_TRUE(wide[4].major);
  // 100 px for 4 s: beats 12.5 px apart would be too close at 20 px, bars are 50 apart.
  const auto bars = vexil::BeatGrid(TimeAxis{0, 4000, 0, 100}, 120, 4, 20.0f);
  ASSERT_EQ(3u, bars.size());
  for (const auto& tick : bars) EXPECT_TRUE(tick.major);
  EXPECT_TRUE(vexil::BeatGrid(TimeAxis{0, 4000, 0, 10}, 120, 4, 20.0f).empty());
  EXPECT_TRUE(vexil::BeatGrid(TimeAxis{0, 4000, 0, 800}, 0, 4, 5.0f).empty()) << "no tempo";
  EXPECT_TRUE(vexil::BeatGrid(TimeAxis{0, 4000, 0, 800}, std::nan(""), 4, 5.0f).empty());
}

TEST(TimelineLayoutTest, AClickHitsTheTopmostBarOfItsRow) {
  const std::vector<BarPlace> bars = {{0, 0, 100}, {0, 50, 80}, {1, 0, 200}};
  EXPECT_EQ(1, vexil::HitBar(bars, 60, 0)) << "the later bar is drawn over the earlier";
  EXPECT_EQ(0, vexil::HitBar(bars, 90, 0));
  EXPECT_EQ(2, vexil::HitBar(bars, 90, 1));
  EXPECT_EQ(-1, vexil::HitBar(bars, 100, 0)) << "the right edge is outside";
  EXPECT_EQ(-1, vexil::HitBar(bars, 10, 2));
  EXPECT_EQ(-1, vexil::HitBar(bars, 10, -1));
}

TEST(TimelineLayoutTest, PlotsSampleBothEndsAndWidenAConstant) {
  const auto line = vexil::SamplePlot([](double t) { return static_cast<float>(t * 2); }, 0, 10, 6);
  EXPECT_EQ((std::vector<float>{0, 4, 8, 12, 16, 20}), line);
  EXPECT_EQ(2u, vexil::SamplePlot([](double) { return 1.0f; }, 0, 10, 0).size());
  float low = 0, high = 0;
  vexil::PlotRange(line, &low, &high);
  EXPECT_EQ(0, low);
  EXPECT_EQ(20, high);
  vexil::PlotRange({3, 3, 3}, &low, &high);
  EXPECT_LT(low, 3);
  EXPECT_GT(high, 3);
  const float inf = std::numeric_limits<float>::infinity();
  vexil::PlotRange({inf, 1, std::nanf(""), 2}, &low, &high);
  EXPECT_EQ(1, low) << "values that are not finite do not stretch the range";
  EXPECT_EQ(2, high);
}

}  // namespace

// The "showtime" timing aid: its on-screen texts, its log lines in "timing.txt" for keys
// pressed through a fake keyboard, and the banners around a demo run.
#include <gtest/gtest.h>

#include <string>

#include "effect_world.h"
#include "modules/showtime_module.h"
#include "modules/timing_log.h"
#include "system/keys.h"

namespace {

using effects::FormatLogLine;
using effects::FormatRateText;
using effects::FormatTimeText;
using effects::OrdinalSuffix;

TEST(TimingTextTest, TimeFieldsAreMinutesSecondsTenthsAndLastTwoDigits) {
  EXPECT_EQ("01:23:04:56", FormatTimeText(83456));
  EXPECT_EQ("00:00:00:00", FormatTimeText(0));
  EXPECT_EQ("00:59:09:99", FormatTimeText(59999));
  EXPECT_EQ("120:00:00:00", FormatTimeText(7200000));
}

TEST(TimingTextTest, RateIsShownOnlyForAPositiveFrameTime) {
  EXPECT_EQ("60 FPS", FormatRateText(1000.0f / 60.0f));
  EXPECT_EQ("1000 FPS", FormatRateText(1.0f));
  EXPECT_EQ("-- FPS", FormatRateText(0.0f)) << "the first frame at the module's start";
  EXPECT_EQ("-- FPS", FormatRateText(-16.0f)) << "a clock that went back";
}

TEST(TimingTextTest, SuffixesFollowTheLinesWrittenBefore) {
  EXPECT_STREQ("st", OrdinalSuffix(0));
  EXPECT_STREQ("nd", OrdinalSuffix(1));
  EXPECT_STREQ("rd", OrdinalSuffix(2));
  for (int before : {3, 10, 20, 21, 99}) EXPECT_STREQ("th", OrdinalSuffix(before)) << before;
  EXPECT_EQ(" 1 st\t01:23:04:56\t83456 ms \t(Space)\n",
            FormatLogLine(1, "st", "01:23:04:56", 83456, "Space"));
  EXPECT_EQ("21 th\t00:00:00:05\t5 ms \t(F8)\n", FormatLogLine(21, "th", "00:00:00:05", 5, "F8"));
}

class ShowTimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(world.ok()) << world.error();
    previous = vexil::sys::SetKeySource(&keys);
  }
  void TearDown() override { vexil::sys::SetKeySource(previous); }

  std::string Log() const { return ReadFile(dir.File("timing.txt")); }

  ScratchDir dir{ScratchDir::kEnter};
  vexil::sys::KeyTracker keys;
  vexil::sys::KeySource* previous = nullptr;
  EffectWorld world{false};
};

TEST_F(ShowTimeTest, LogsPressedKeysInListOrderThenTheSeparator) {
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline><m type=\"showtime\" start=\"1000\" end=\"100000\"/></timeline>"));
  EXPECT_EQ("=============== DEMO START ===============\n", Log());
  const int before = effects::CShowTimeModule::GetLoggedLineCount();

  world.timeline.Render(1000.0f);
  keys.Tap(VK_RETURN);
  keys.Tap(VK_F5);
  keys.Tap(VK_F1);
  keys.OnKeyDown(VK_F3);  // held since an earlier frame: logged once, not every frame
  world.timeline.Render(84456.7f);
  world.timeline.Render(84500.0f);

  const std::string expected =
      std::string("=============== DEMO START ===============\n") +
      FormatLogLine(before + 1, OrdinalSuffix(before), "01:23:04:56", 83456, "F1") +
      FormatLogLine(before + 2, OrdinalSuffix(before + 1), "01:23:04:56", 83456, "F3") +
      FormatLogLine(before + 3, OrdinalSuffix(before + 2), "01:23:04:56", 83456, "F5") +
      "----------------------------------\n";
  EXPECT_EQ(expected, Log());
  EXPECT_EQ(before + 3, effects::CShowTimeModule::GetLoggedLineCount());
}

TEST_F(ShowTimeTest, DrawsTimeAndRateInOneSceneEveryFrame) {
  ASSERT_TRUE(
      world.LoadTimeline("<timeline><m type=\"showtime\" start=\"0\" end=\"100000\"/></timeline>"));
  world.ClearCalls();
  world.timeline.Render(0.0f);  // frame time 0: the rate shows "--", never "inf"
  world.timeline.Render(16.0f);
  int scenes = 0, draws = 0;
  for (const VexilRecordedCall& call : world.calls()) {
    scenes += call.kind == VEXIL_CALL_BEGINSCENE;
    draws += call.kind == VEXIL_CALL_DRAW || call.kind == VEXIL_CALL_DRAWINDEXED;
  }
  EXPECT_EQ(2, scenes);
  EXPECT_GT(draws, 0) << "the glyphs are drawn through the device";
}

TEST_F(ShowTimeTest, EndBannerIsWrittenWhenTheModuleIsDestroyed) {
  {
    EffectWorld run(false);
    ASSERT_TRUE(run.ok());
    ASSERT_TRUE(
        run.LoadTimeline("<timeline><m type=\"showtime\" start=\"0\" end=\"10\"/></timeline>"));
  }
  EXPECT_EQ(
      "=============== DEMO START ===============\n"
      "===============  DEMO END  ===============\n",
      Log());
}

TEST_F(ShowTimeTest, AModuleThatNeverStartedItsLogLeavesNoBanner) {
  CDataProvider* module = world.widgets.CreateInstance("showtime", PLUGIN_KIND_MODULE);
  ASSERT_NE(nullptr, module);
  EXPECT_EQ("", Log());
}

}  // namespace

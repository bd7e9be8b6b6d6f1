// Edit mode's transport as pure arithmetic: pause freezes the time, seeks stay within the demo,
// a loop section repeats at its out point, the end holds, module starts are found both ways,
// and the keys leave the timing overlay's keys and Escape alone.
#include <gtest/gtest.h>

#include "edit/edit_keys.h"
#include "edit/transport.h"
#include "system/keys.h"

namespace vexil {
namespace {

TEST(TransportTest, PlaysWithTheClockAndFreezesWhilePaused) {
  Transport transport(1000.0, 60000.0, 500.0);
  EXPECT_DOUBLE_EQ(1000.0, transport.Time(500.0));
  EXPECT_DOUBLE_EQ(1250.0, transport.Time(750.0));
  transport.Pause(750.0);
  EXPECT_DOUBLE_EQ(1250.0, transport.Time(5000.0)) << "the clock runs on, the demo does not";
  transport.Resume(6000.0);
  EXPECT_DOUBLE_EQ(1250.0, transport.Time(6000.0));
  EXPECT_DOUBLE_EQ(1350.0, transport.Time(6100.0)) << "resumes where it paused";
  transport.TogglePause(6100.0);
  EXPECT_TRUE(transport.Paused());
  transport.TogglePause(7000.0);
  EXPECT_FALSE(transport.Paused());
}

TEST(TransportTest, SeeksStayWithinTheDemoAndKeepThePause) {
  Transport transport(5000.0, 20000.0, 0.0);
  transport.SeekBy(-10000.0, 0.0);
  EXPECT_DOUBLE_EQ(0.0, transport.Time(0.0)) << "not before the start";
  transport.SeekBy(1000.0, 0.0);
  EXPECT_DOUBLE_EQ(1000.0, transport.Time(0.0));
  transport.SeekTo(99999.0, 0.0);
  EXPECT_DOUBLE_EQ(20000.0, transport.Time(0.0)) << "not after the end";
  transport.Pause(0.0);
  transport.SeekTo(3000.0, 10.0);
  EXPECT_TRUE(transport.Paused());
  EXPECT_DOUBLE_EQ(3000.0, transport.Time(500.0));
}

TEST(TransportTest, TheLoopRepeatsAtItsOutPointWithTheOvershoot) {
  Transport transport(0.0, 60000.0, 0.0);
  transport.SeekTo(2000.0, 0.0);
  transport.SetLoopIn(0.0);
  transport.SeekTo(3000.0, 0.0);
  transport.SetLoopOut(0.0);
  ASSERT_TRUE(transport.Loop().Active());
  transport.SeekTo(2500.0, 0.0);
  EXPECT_FALSE(transport.Advance(400.0)) << "2900 is inside the section";
  EXPECT_TRUE(transport.Advance(516.0)) << "3016 passed the out point";
  EXPECT_DOUBLE_EQ(2016.0, transport.Time(516.0));
  EXPECT_DOUBLE_EQ(2100.0, transport.Time(600.0));

  transport.SeekTo(5000.0, 600.0);
  EXPECT_FALSE(transport.Advance(700.0)) << "a seek beyond the section plays on from there";
  EXPECT_DOUBLE_EQ(5100.0, transport.Time(700.0));
  transport.ClearLoop();
  EXPECT_FALSE(transport.Loop().Active());
}

TEST(TransportTest, LoopPointsNeverMakeAReversedSection) {
  Transport transport(4000.0, 60000.0, 0.0);
  transport.SetLoopOut(0.0);
  transport.SeekTo(6000.0, 0.0);
  transport.SetLoopIn(0.0);
  EXPECT_TRUE(transport.Loop().has_in);
  EXPECT_FALSE(transport.Loop().has_out) << "an in point after the out point drops the out point";
  transport.SeekTo(5000.0, 0.0);
  transport.SetLoopOut(0.0);
  EXPECT_FALSE(transport.Loop().has_in) << "and an out point before the in point the in point";
  EXPECT_FALSE(transport.Loop().Active());
}

TEST(TransportTest, TheEndHoldsAndResumingStartsOver) {
  Transport transport(9000.0, 10000.0, 0.0);
  EXPECT_FALSE(transport.Advance(1500.0));
  EXPECT_TRUE(transport.Paused()) << "held at the end of the last module";
  EXPECT_DOUBLE_EQ(10000.0, transport.Time(9999.0));
  transport.Resume(2000.0);
  EXPECT_DOUBLE_EQ(0.0, transport.Time(2000.0));
  transport.SetEnd(500.0, 2100.0);
  EXPECT_DOUBLE_EQ(100.0, transport.Time(2100.0));
  EXPECT_DOUBLE_EQ(500.0, transport.Time(9000.0)) << "a reload that shortened the demo";
}

TEST(TransportTest, ModuleStartJumps) {
  const std::vector<double> starts = {0.0, 4000.0, 2000.0, 8000.0, 4000.0};
  EXPECT_DOUBLE_EQ(4000.0, NextModuleStart(starts, 2000.0));
  EXPECT_DOUBLE_EQ(2000.0, NextModuleStart(starts, 1999.0));
  EXPECT_DOUBLE_EQ(9000.0, NextModuleStart(starts, 9000.0)) << "no later start: stay";
  EXPECT_DOUBLE_EQ(4000.0, PreviousModuleStart(starts, 6000.0));
  EXPECT_DOUBLE_EQ(2000.0, PreviousModuleStart(starts, 4200.0))
      << "just after a start, the one before it";
  EXPECT_DOUBLE_EQ(0.0, PreviousModuleStart(starts, 300.0));
  EXPECT_DOUBLE_EQ(0.0, PreviousModuleStart({}, 5000.0));
}

TEST(EditKeysTest, TheTimingOverlayKeysAndEscapeStayFree) {
  for (int key : {int{sys::kVkSpace}, int{sys::kVkReturn}, int{sys::kVkEscape}}) {
    EXPECT_EQ(EditCommand::kNone, EditCommandForKey(key)) << key;
  }
  for (int f = 0; f < 8; ++f) {
    EXPECT_EQ(EditCommand::kNone, EditCommandForKey(sys::kVkF1 + f)) << "F" << f + 1;
  }
  EXPECT_EQ(EditCommand::kTogglePause, EditCommandForKey('P'));
  EXPECT_EQ(EditCommand::kTogglePause, EditCommandForKey(sys::kVkPause));
  EXPECT_EQ(EditCommand::kForward10s, EditCommandForKey(sys::kVkUp));
  EXPECT_EQ(EditCommand::kNextStart, EditCommandForKey(sys::kVkNext));
  EXPECT_EQ(EditCommand::kToggleOverlay, EditCommandForKey(sys::kVkTab));
  EXPECT_EQ(EditCommand::kTogglePanel, EditCommandForKey('T'));
}

TEST(EditKeysTest, CommandsMoveTheTransport) {
  const std::vector<double> starts = {0.0, 3000.0, 7000.0};
  Transport transport(5000.0, 20000.0, 0.0);
  struct Case {
    EditCommand command;
    double expected;
    bool jumps;
  };
  for (const Case& c :
       {Case{EditCommand::kForward1s, 6000.0, true}, Case{EditCommand::kBack10s, 0.0, true},
        Case{EditCommand::kForward10s, 10000.0, true}, Case{EditCommand::kBack1s, 9000.0, true},
        Case{EditCommand::kPreviousStart, 7000.0, true},
        Case{EditCommand::kPreviousStart, 3000.0, true},
        Case{EditCommand::kNextStart, 7000.0, true}, Case{EditCommand::kToStart, 0.0, true},
        Case{EditCommand::kLoopIn, 0.0, false}, Case{EditCommand::kToggleOverlay, 0.0, false}}) {
    EXPECT_EQ(c.jumps, ApplyEditCommand(c.command, &transport, 0.0, starts));
    EXPECT_DOUBLE_EQ(c.expected, transport.Time(0.0)) << static_cast<int>(c.command);
  }
  EXPECT_TRUE(transport.Loop().has_in);
  EXPECT_FALSE(ApplyEditCommand(EditCommand::kTogglePause, &transport, 0.0, starts));
  EXPECT_TRUE(transport.Paused());
}

}  // namespace
}  // namespace vexil

// CModule: defaults, StartModule/EndModule and Reset, the module clock, and values read at the
// module's own time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enginefixture.h"

namespace {

class CCountingModule : public CModule {
 public:
  void BeforeFirstRender() override { events.push_back(IsStarted() ? "first:started" : "first"); }
  void AfterLastRender() override { events.push_back(IsStarted() ? "last:started" : "last"); }
  std::vector<std::string> events;
};

class CSpeedModule : public CModule {
 public:
  CSpeedModule() { AddValue(&speed, "speed"); }
  CValueFloat speed{-1.0f};
};

TEST(Module, DefaultConstructedModuleIsEmpty) {
  CModule module;
  EXPECT_EQ(0.0f, module.GetStartTime());
  EXPECT_EQ(0.0f, module.GetEndTime());
  EXPECT_EQ(0, module.GetLayer());
  EXPECT_FALSE(module.IsStarted());
  EXPECT_TRUE(module.GetTargetKeys().IsEmpty());
  EXPECT_EQ(nullptr, module.GetTimeLine());
  EXPECT_EQ(nullptr, module.GetDemoDevice());

  CModule placed(1000.0f, 2000.0f, -3);
  EXPECT_EQ(1000.0f, placed.GetStartTime());
  EXPECT_EQ(2000.0f, placed.GetEndTime());
  EXPECT_EQ(-3, placed.GetLayer());
}

TEST(Module, StartThenEndCallsEachHookOnceAroundTheStartedFlag) {
  CCountingModule module;
  module.StartModule();
  EXPECT_TRUE(module.IsStarted());
  module.EndModule();
  EXPECT_FALSE(module.IsStarted());
  EXPECT_EQ((std::vector<std::string>{"first:started", "last:started"}), module.events)
      << "started is set before BeforeFirstRender and cleared after AfterLastRender";
}

TEST(Module, ResetClearsTheStartedFlagWithoutHooks) {
  CCountingModule module;
  module.StartModule();
  module.Reset();
  EXPECT_FALSE(module.IsStarted());
  EXPECT_EQ(std::vector<std::string>{"first:started"}, module.events);
}

using ModuleClockTest = EngineTest;

TEST_F(ModuleClockTest, TimeIsTimelineTimeMinusStart) {
  CModule module(1000.0f, 4000.0f, 0);
  EXPECT_EQ(-1000.0f, module.GetTime()) << "an unplaced module reads timeline time 0";
  module.SetTimeLine(timeline_);
  timeline_->Render(2500.0f);
  EXPECT_EQ(1500.0f, module.GetTime());
  module.SetStart(2500.0f);
  EXPECT_EQ(0.0f, module.GetTime());
}

TEST_F(ModuleClockTest, ValuesAreReadAtTheModulesOwnTime) {
  ASSERT_TRUE(widgets_->Load("scenecore.dll")) << widgets_->GetLastError();
  CSpeedModule module;
  module.SetWidgetManager(widgets_);
  module.SetDemoDevice(&holder_);
  module.SetStart(1000.0f);
  ParseWith(&module,
            "<m><param name=\"speed\" type=\"linearfloat\">"
            "<key time=\"0\" value=\"0\"/><key time=\"1000\" value=\"10\"/></param>"
            "<target value=\"_screen\"/></m>");
  module.SetTimeLine(timeline_);
  timeline_->Render(1500.0f);
  EXPECT_FLOAT_EQ(5.0f, module.speed) << "bound during Parse, evaluated at module time 500";
  EXPECT_EQ(1, module.GetTargetKeys().GetCount()) << "and the schedule was read as well";
}

}  // namespace

// CTimeline with recording modules on the null device: building modules from the script,
// the layer order, the three passes, spans with both ends included, the end of the demo and
// the single present per frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3d9/null/d3d9_null.h"
#include "enginefixture.h"

namespace {

using Log = std::vector<std::string>;

class TimelineTest : public EngineTest {
 protected:
  // A timeline element with one recording module per (id, start, end, layer).
  struct Placement {
    const char* id;
    const char* start;
    const char* end;
    const char* layer;
  };
  void Build(std::initializer_list<Placement> modules) {
    std::string xml = "<timeline>";
    for (const Placement& m : modules) {
      xml += std::string("<module type=\"recorder\" id=\"") + m.id + "\" start=\"" + m.start +
             "\" end=\"" + m.end + "\" layer=\"" + m.layer + "\"/>";
    }
    ParseWith(timeline_, xml + "</timeline>");
    TimelineLog().clear();
  }
  // The hooks one Render call makes, and whether it answered true.
  Log Frame(float t, bool expectMore = true) {
    EXPECT_EQ(expectMore, timeline_->Render(t)) << "at t = " << t;
    return TakeLog();
  }
};

TEST_F(TimelineTest, ModulesArePlacedParsedThenGivenTimelineAndViewportThenInitialised) {
  ParseWith(timeline_,
            "<timeline><fx type=\"Recorder\" id=\"a\" start=\"1000.5\" end=\"2e3\" layer=\"3\"/>"
            "</timeline>");
  const Log expected = {"a Parse start=1000.5 end=2000 layer=3 device=set timeline=null",
                        "a Init timeline=set viewport=0,0,640,480"};
  EXPECT_EQ(expected, TakeLog());
  ASSERT_EQ(1, timeline_->GetModuleCount());
  EXPECT_EQ(2000.0f, timeline_->GetEndTime());
}

TEST_F(TimelineTest, AnyChildWithAModuleTypeBecomesAModuleOthersAreSkipped) {
  ParseWith(timeline_,
            "<TimeLine>"
            "<module type=\"recorder\" id=\"m\"/>"
            "<effect type=\"nosuch\" id=\"lost\"/>"
            "<whatever type=\"testres\" id=\"resource\"/>"
            "<impostor type=\"impostor\" id=\"not a module\"/>"
            "<untyped id=\"untyped\"/>"
            "<anything type=\"RECORDER\" id=\"n\" start=\"junk\" layer=\"\"/>"
            "</TimeLine>");
  ASSERT_EQ(2, timeline_->GetModuleCount());
  const Log log = TakeLog();
  EXPECT_EQ("m Parse start=0 end=0 layer=0 device=set timeline=null", log.at(0))
      << "absent attributes read as 0";
  EXPECT_EQ("n Parse start=0 end=0 layer=0 device=set timeline=null", log.at(2));
}

TEST_F(TimelineTest, OtherElementsAddNothingAndTimelinesAccumulate) {
  Build({{"a", "0", "100", "0"}});
  ParseWith(timeline_, "<resources><m type=\"recorder\" id=\"x\" end=\"9000\"/></resources>");
  EXPECT_EQ(1, timeline_->GetModuleCount());
  EXPECT_EQ(100.0f, timeline_->GetEndTime());
  Build({{"b", "0", "300", "-1"}});
  ASSERT_EQ(2, timeline_->GetModuleCount());
  EXPECT_EQ(300.0f, timeline_->GetEndTime());
  EXPECT_EQ(Log({"b BeforeFirstRender", "b BeforeRender", "a BeforeFirstRender", "a BeforeRender",
                 "b Render", "a Render", "b AfterRender", "a AfterRender"}),
            Frame(0.0f))
      << "the second timeline element sorted all modules again";
}

TEST_F(TimelineTest, LowerLayersFirstInEveryPassEqualLayersInScriptOrder) {
  Build({{"a", "0", "10", "2"},
         {"b", "0", "10", "-1"},
         {"c", "0", "10", "0"},
         {"d", "0", "10", "2"},
         {"e", "0", "10", "0"},
         {"f", "0", "10", "65535"}});  // 16 bits: layer -1, after b
  TimelineLog().clear();
  Log expected;
  const char* order[] = {"b", "f", "c", "e", "a", "d"};
  for (const char* id : order) {
    expected.push_back(std::string(id) + " BeforeFirstRender");  // started as pass 1 meets it
    expected.push_back(std::string(id) + " BeforeRender");
  }
  for (const char* id : order) expected.push_back(std::string(id) + " Render");
  for (const char* id : order) expected.push_back(std::string(id) + " AfterRender");
  EXPECT_EQ(expected, Frame(5.0f));
}

TEST_F(TimelineTest, ThousandsOfModulesSortByLayerAndKeepScriptOrderWithinALayer) {
  // Layers fall through the script in a repeating pattern, so modules of one layer lie
  // scattered through it: a sort that is not stable would shuffle them.
  std::string xml = "<timeline>\n";
  for (int i = 0; i < 3000; ++i) {
    xml += "<m type=\"recorder\" id=\"m\" end=\"10\" layer=\"" + std::to_string(29 - i % 30) +
           "\"/>\n";
  }
  ParseWith(timeline_, xml + "</timeline>");
  ASSERT_EQ(3000, timeline_->GetModuleCount());
  for (int i = 1; i < 3000; ++i) {
    const CModule* before = timeline_->GetModule(i - 1);
    const CModule* after = timeline_->GetModule(i);
    ASSERT_LE(before->GetLayer(), after->GetLayer()) << "at position " << i;
    if (before->GetLayer() == after->GetLayer()) {
      ASSERT_LT(before->GetScriptLine(), after->GetScriptLine())
          << "equal layers in script order, at position " << i;
    }
  }
}

TEST_F(TimelineTest, SpanIncludesBothEndsAndEndsAfterTheLastFrameInside) {
  Build({{"m", "1000", "2000", "0"}, {"long", "0", "5000", "1"}});
  const Log running = {"long BeforeRender", "long Render", "long AfterRender"};
  EXPECT_EQ(Log({"long BeforeFirstRender", "long BeforeRender", "long Render", "long AfterRender"}),
            Frame(999.5f));
  EXPECT_EQ(Log({"m BeforeFirstRender", "m BeforeRender", "long BeforeRender", "m Render",
                 "long Render", "m AfterRender", "long AfterRender"}),
            Frame(1000.0f));
  EXPECT_EQ(Log({"m BeforeRender", "long BeforeRender", "m Render", "long Render", "m AfterRender",
                 "long AfterRender"}),
            Frame(2000.0f))
      << "still active at its end";
  EXPECT_EQ(Log({"m AfterLastRender", "long BeforeRender", "long Render", "long AfterRender"}),
            Frame(2000.5f));
  EXPECT_EQ(running, Frame(3000.0f));
  EXPECT_FALSE(timeline_->GetModule(0)->IsStarted());
}

TEST_F(TimelineTest, ModulesThatNeverSeeAFrameInsideTheirSpanGetNoHooks) {
  Build({{"between", "1100", "1200", "0"},   // entirely between two frames
         {"backwards", "1000", "500", "0"},  // ends before it starts
         {"early", "0", "900", "0"},         // over before the first frame
         {"keeper", "0", "5000", "0"}});
  for (float t : {1000.0f, 1300.0f, 1400.0f}) {
    for (const std::string& event : Frame(t)) {
      EXPECT_EQ(0u, event.rfind("keeper ", 0)) << "unexpected hook: " << event;
    }
  }
}

TEST_F(TimelineTest, RenderAnswersFalseWithoutPresentingOnceTheLatestEndHasPassed) {
  Build({{"a", "0", "1000", "0"}, {"b", "500", "2000", "1"}});
  VexilNullClearRecordedCalls(dev_);
  Frame(600.0f);
  EXPECT_EQ(1, PresentCount()) << "one present per frame, whatever the module count";
  Frame(2000.0f);
  EXPECT_EQ(2, PresentCount());
  EXPECT_EQ(Log{"b AfterLastRender"}, Frame(2000.25f, false));
  EXPECT_EQ(2, PresentCount()) << "nothing presented for the time past the end";
  EXPECT_EQ(2000.25f, timeline_->GetTime());
  EXPECT_EQ(Log{}, Frame(3000.0f, false));
}

TEST_F(TimelineTest, EmptyTimelineEndsAtTheFirstTimeAboveZero) {
  ParseWith(timeline_, "<timeline/>");
  EXPECT_EQ(0.0f, timeline_->GetEndTime());
  VexilNullClearRecordedCalls(dev_);
  EXPECT_TRUE(timeline_->Render(0.0f)) << "0 is not past the end";
  EXPECT_EQ(1, PresentCount());
  EXPECT_FALSE(timeline_->Render(0.001f));
  EXPECT_EQ(1, PresentCount());
}

TEST_F(TimelineTest, ModuleStartsAgainWhenTimeComesBackIntoItsSpan) {
  Build({{"m", "100", "200", "0"}, {"keeper", "0", "1000", "1"}});
  Frame(150.0f);
  Frame(250.0f);
  const Log again = Frame(150.0f);
  ASSERT_FALSE(again.empty());
  EXPECT_EQ("m BeforeFirstRender", again.front());
}

}  // namespace

// The timeline panel over a real frame on the OpenGL device: it appears along the bottom and
// leaves the rest of the demo's picture alone, clicking a bar opens the inspector, dragging on
// the ruler asks for a seek, and a frame without the panel is the demo's own. The frames are
// kept as panel.png and panel-inspector.png in the test's folder (VEXIL_KEEP_TEST_FILES=1).
#include "edit/timeline_panel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "edit/demo_builder.h"
#include "support/back_buffer.h"
#include "support/picture.h"
#include "support/scratch_dir.h"
#include "support/test_device.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

std::string PanelDemo() {
  return "<demo name=\"panel\"><settings><width value=\"640\"/><height value=\"480\"/>"
         "<bpm value=\"120\"/></settings><libraries><l file=\"effectpack.dll\"/></libraries>"
         "<timeline>"
         "<backdrop type=\"clearscreen\" start=\"0\" end=\"8000\" layer=\"0\">"
         "<param name=\"color\" type=\"linearcolor\"><key time=\"0\" value=\"#FF203050\"/>"
         "<key time=\"8000\" value=\"#FF802020\"/></param></backdrop>"
         "<hello type=\"text\" start=\"1000\" end=\"6000\" layer=\"2\">"
         "<param name=\"text\" type=\"string\" value=\"hello\"/></hello>"
         "</timeline></demo>";
}

using vexil::test::ReadBackBuffer;

// Pixels that differ between two frames within rows [top, bottom) and columns [left, right).
int Changed(const vexil::test::Picture& a, const vexil::test::Picture& b, int left, int top,
            int right, int bottom) {
  int changed = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) changed += a.Rgb(x, y) != b.Rgb(x, y);
  return changed;
}

class TimelinePanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.ok());
    ASSERT_TRUE(vexil::test::WriteFile("demo.xml", PanelDemo()));
    build_ = vexil::BuildDemo("demo.xml", ".", gl_.d3d(), gl_.device(), kWidth, kHeight);
    ASSERT_TRUE(build_.ok()) << (build_.problems.empty() ? "" : build_.problems.front());
  }
  vexil::PanelView View(double time_ms) const {
    vexil::PanelView view;
    view.time_ms = time_ms;
    view.end_ms = build_.demo->timeline.GetEndTime();
    view.width = kWidth;
    view.height = kHeight;
    return view;
  }
  vexil::test::Picture Frame(vexil::TimelinePanel* panel, const vexil::PanelView& view,
                             vexil::PanelOutcome* outcome = nullptr) {
    build_.demo->timeline.Draw(static_cast<float>(view.time_ms));
    if (panel) {
      const vexil::PanelOutcome drawn = panel->Draw(*build_.demo, view);
      if (outcome) *outcome = drawn;
    }
    return ReadBackBuffer(gl_.device());
  }

  vexil::test::ScratchDir dir_{vexil::test::ScratchDir::kEnter};
  vexil::test::TestDevice gl_{vexil::test::Backend::kGl, kWidth, kHeight};
  vexil::DemoBuild build_;
};

TEST_F(TimelinePanelTest, AppearsAlongTheBottomAndHidesWithoutATrace) {
  const vexil::test::Picture plain = Frame(nullptr, View(2000));
  ASSERT_TRUE(plain.ok());
  vexil::TimelinePanel panel(gl_.device());
  const vexil::test::Picture shown = Frame(&panel, View(2000));
  ASSERT_TRUE(shown.ok());
  EXPECT_TRUE(vexil::test::WritePng("panel.png", shown.rgba, shown.width, shown.height));
  // Two rows, a ruler and padding: about 70 pixels along the bottom, the full width.
  EXPECT_GT(Changed(plain, shown, 0, kHeight - 60, kWidth, kHeight), kWidth * 40);
  EXPECT_EQ(0, Changed(plain, shown, 0, 40, kWidth, kHeight - 90)) << "the picture above";
  // The playhead at 2 s of 8: a red line a quarter of the way along the ruler.
  int red = 0;
  for (int x = 0; x < kWidth; ++x) {
    const auto p = shown.At(x, kHeight - 20);
    red += p.r > 200 && p.g < 110 && p.b < 110;
  }
  EXPECT_GE(red, 1);
  const vexil::test::Picture again = Frame(nullptr, View(2000));
  EXPECT_EQ(0, Changed(plain, again, 0, 0, kWidth, kHeight)) << "hidden, the frame is the demo's";
}

TEST_F(TimelinePanelTest, ABarClickedOpensTheInspectorAndTheRulerSeeks) {
  vexil::TimelinePanel panel(gl_.device());
  vexil::PanelView view = View(2000);
  const vexil::test::Picture before = Frame(&panel, view);
  // The "backdrop" bar is the lower row; find it as the row just above the bottom padding.
  view.pointer_x = kWidth / 2.0f;
  view.pointer_y = kHeight - 14.0f;
  view.pointer_down = true;
  Frame(&panel, view);
  view.pointer_down = false;
  Frame(&panel, view);
  const vexil::test::Picture inspected = Frame(&panel, view);
  EXPECT_TRUE(vexil::test::WritePng("panel-inspector.png", inspected.rgba, inspected.width,
                                    inspected.height));
  EXPECT_GT(Changed(before, inspected, kWidth / 2, 0, kWidth, 60), 2000)
      << "the inspector at the top right";

  // Press on the ruler three quarters along and drag to the middle.
  vexil::PanelOutcome outcome;
  view.pointer_y = kHeight - 60.0f;
  for (int row = kHeight - 80; row < kHeight - 40; ++row) {
    view.pointer_y = static_cast<float>(row);
    view.pointer_x = 0.75f * kWidth;
    view.pointer_down = false;
    Frame(&panel, view);
    view.pointer_down = true;
    Frame(&panel, view, &outcome);
    if (outcome.seek) break;
  }
  ASSERT_TRUE(outcome.seek) << "no row of the panel's top seeks";
  EXPECT_NEAR(6000, outcome.seek_ms, 300);
  view.pointer_x = kWidth / 2.0f;
  Frame(&panel, view, &outcome);
  EXPECT_TRUE(outcome.seek);
  EXPECT_LT(outcome.seek_ms, 5000);
  view.pointer_down = false;
  Frame(&panel, view);
  Frame(&panel, view, &outcome);
  EXPECT_FALSE(outcome.seek) << "released, the ruler asks for nothing";
}

}  // namespace

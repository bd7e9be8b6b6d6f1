// Text preparation of the "text" overlay: alignment flags, line breaks, the bounded copy and
// the text box in thousandths of the viewport.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "d3dx9/d3dx9font.h"
#include "effect_world.h"
#include "modules/overlay_text.h"

namespace {

using effects::kOverlayTextSize;

TEST(OverlayTextTest, AlignmentWordsInAnyCaseChooseTheFlags) {
  const DWORD always = DT_EXPANDTABS | DT_NOCLIP;
  EXPECT_EQ(0x140u, always);
  EXPECT_EQ(DT_LEFT | always, effects::OverlayFormatFlags("left"));
  EXPECT_EQ(DT_RIGHT | always, effects::OverlayFormatFlags("Right"));
  EXPECT_EQ(DT_CENTER | always, effects::OverlayFormatFlags("CENTER"));
  EXPECT_EQ(DT_LEFT | always, effects::OverlayFormatFlags("centre"));
  EXPECT_EQ(DT_LEFT | always, effects::OverlayFormatFlags(""));
  EXPECT_EQ(DT_LEFT | always, effects::OverlayFormatFlags(nullptr));
}

TEST(OverlayTextTest, BarsBecomeLineFeeds) {
  static char buffer[kOverlayTextSize];
  effects::PrepareOverlayText("hello|world||end|", buffer);
  EXPECT_STREQ("hello\nworld\n\nend\n", buffer);
  effects::PrepareOverlayText(nullptr, buffer);
  EXPECT_STREQ("", buffer);
}

TEST(OverlayTextTest, ATextLongerThanTheBufferIsCutNotOverflowed) {
  struct Guarded {
    char buffer[kOverlayTextSize];
    char guard[16];
  };
  static Guarded guarded;
  std::memset(guarded.guard, 'G', sizeof(guarded.guard));
  const std::string longText(10000, 'a');
  effects::PrepareOverlayText(longText.c_str(), guarded.buffer);
  EXPECT_EQ(kOverlayTextSize - 1, std::strlen(guarded.buffer));
  EXPECT_EQ(std::string(sizeof(guarded.guard), 'G'),
            std::string(guarded.guard, sizeof(guarded.guard)));
}

TEST(OverlayTextTest, BoxStartsAtThousandthsOfTheViewportAndEndsAtItsEdges) {
  D3DVIEWPORT9 viewport = {0, 0, 640, 480, 0.0f, 1.0f};
  RECT box = effects::OverlayTextBox(500.0f, 250.0f, viewport);
  EXPECT_EQ(320, box.left) << "x 500 starts at the middle";
  EXPECT_EQ(120, box.top);
  EXPECT_EQ(640, box.right);
  EXPECT_EQ(480, box.bottom);
  box = effects::OverlayTextBox(-1.9f, 1.9f, viewport);
  EXPECT_EQ(-1, box.left) << "truncated toward zero";
  EXPECT_EQ(0, box.top);
  box = effects::OverlayTextBox(1e30f, std::nanf(""), viewport);
  EXPECT_GT(box.left, 640);
  EXPECT_EQ(0, box.top);
}

TEST(TextModuleTest, DrawsInItsOwnSceneAndSkipsAFailedOne) {
  EffectWorld world(false);
  ASSERT_TRUE(world.ok()) << world.error();
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline><m type=\"text\" start=\"0\" end=\"1000\">"
      "<param name=\"text\" type=\"string\" value=\"two|lines\"/></m></timeline>"));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  ASSERT_EQ(D3D_OK, VexilNullFailNext(world.device(), VEXIL_FAIL_BEGINSCENE, 1));
  world.timeline.Render(1.0f);
  int scenes = 0, ends = 0, draws = 0;
  for (const VexilRecordedCall& call : world.calls()) {
    scenes += call.kind == VEXIL_CALL_BEGINSCENE;
    ends += call.kind == VEXIL_CALL_ENDSCENE;
    draws += call.kind == VEXIL_CALL_DRAW || call.kind == VEXIL_CALL_DRAWINDEXED;
  }
  EXPECT_EQ(1, scenes) << "the failed BeginScene is not recorded";
  EXPECT_EQ(1, ends);
  EXPECT_GT(draws, 0);
}

}  // namespace

// The setup dialog without a display: list order and labels, preselection, the caption,
// and the Run and Cancel steps.
#include "setup/display_modes.h"

#include <gtest/gtest.h>

#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"
#include "setup/setup_dialog_model.h"

namespace {

using vexil::DisplayModeRecord;
using vexil::ModeList;

D3DDISPLAYMODE Mode(UINT w, UINT h, UINT hz) {
  return {w, h, hz, D3DFMT_X8R8G8B8};
}

// Builds the list from a null Direct3D object that reports `modes`.
ModeList ListOf(const std::vector<D3DDISPLAYMODE>& modes, int w, int h, int hz) {
  IDirect3D9* d3d =
      VexilCreateNullDirect3D9Ex(modes.data(), static_cast<UINT>(modes.size()), nullptr);
  ModeList list = vexil::BuildModeListFromD3D(d3d, w, h, hz);
  d3d->Release();
  return list;
}

std::vector<std::string> Labels(const ModeList& list) {
  std::vector<std::string> labels;
  for (const auto& e : list.entries) labels.push_back(e.label);
  return labels;
}

TEST(ModeList, LabelsReadWidthHeightRateAndAlways32Bpp) {
  EXPECT_EQ("1024x768  85hz  32bpp", vexil::FormatModeLabel({1024, 768, 85, 22}));
  EXPECT_EQ("640x480  0hz  32bpp", vexil::FormatModeLabel({640, 480, 0, 22}));
}

TEST(ModeList, EntriesRunFromTheLastModeIndexToTheFirst) {
  const ModeList list =
      ListOf({Mode(640, 480, 60), Mode(800, 600, 60), Mode(1024, 768, 75)}, 0, 0, 0);
  EXPECT_EQ((std::vector<std::string>{"1024x768  75hz  32bpp", "800x600  60hz  32bpp",
                                      "640x480  60hz  32bpp"}),
            Labels(list));
  EXPECT_EQ(0, list.selection) << "no match: the first item";
  EXPECT_EQ(22u, list.entries[0].mode.format);
}

TEST(ModeList, PreferredModeIsPreselected) {
  const ModeList list =
      ListOf({Mode(640, 480, 60), Mode(800, 600, 60), Mode(1024, 768, 60)}, 800, 600, 60);
  ASSERT_NE(nullptr, list.Selected());
  EXPECT_EQ(800u, list.Selected()->width);
  EXPECT_EQ(600u, list.Selected()->height);
  EXPECT_EQ(1, list.selection);
}

TEST(ModeList, RefreshRateMustMatchToo) {
  const ModeList list = ListOf({Mode(800, 600, 60), Mode(800, 600, 75)}, 800, 600, 85);
  EXPECT_EQ(0, list.selection);
  const ModeList exact = ListOf({Mode(800, 600, 60), Mode(800, 600, 75)}, 800, 600, 60);
  EXPECT_EQ(1, exact.selection);
  EXPECT_EQ(60u, exact.Selected()->refresh_rate);
}

TEST(ModeList, LaterMatchReplacesAnEarlierOne) {
  // The same mode reported twice: the entry listed later (lower mode index) wins.
  ModeList list = vexil::BuildModeList(
      3,
      [](uint32_t index, DisplayModeRecord* mode) {
        *mode = {800, 600, 60, 22};
        if (index == 1) mode->width = 640;
        return true;
      },
      800, 600, 60);
  EXPECT_EQ(2, list.selection);
}

TEST(ModeList, ModesThatCannotBeReadAreSkipped) {
  ModeList list = vexil::BuildModeList(
      4,
      [](uint32_t index, DisplayModeRecord* mode) {
        if (index == 2) return false;
        *mode = {640 + index, 480, 60, 22};
        return true;
      },
      641, 480, 60);
  EXPECT_EQ((std::vector<std::string>{"643x480  60hz  32bpp", "641x480  60hz  32bpp",
                                      "640x480  60hz  32bpp"}),
            Labels(list));
  EXPECT_EQ(1, list.selection);
}

TEST(ModeList, NoAdapterModesGiveAnEmptyListWithoutSelection) {
  const ModeList list = ListOf({}, 800, 600, 60);
  EXPECT_TRUE(list.entries.empty());
  EXPECT_EQ(nullptr, list.Selected());
  EXPECT_TRUE(vexil::BuildModeListFromD3D(nullptr, 800, 600, 60).entries.empty());
}

TEST(DialogCaption, NameFollowedBySettingsAndAt255Characters) {
  EXPECT_EQ("My Demo - settings", vexil::FormatDialogCaption("My Demo"));
  EXPECT_EQ(" - settings", vexil::FormatDialogCaption(""));
  const std::string fits(244, 'n');
  EXPECT_EQ(fits + " - settings", vexil::FormatDialogCaption(fits));
  const std::string caption = vexil::FormatDialogCaption(std::string(400, 'n'));
  EXPECT_EQ(255u, caption.size());
  EXPECT_EQ(" - settings", caption.substr(244));
}

TEST(DialogCaption, LongUtf8NamesAreNotCutInsideACharacter) {
  std::string name = std::string(243, 'a') + "\xC3\xA9" + "tail";  // 'é' straddles the limit
  const std::string caption = vexil::FormatDialogCaption(name);
  EXPECT_EQ(std::string(243, 'a') + " - settings", caption);
}

TEST(SetupDialogModel, RunTakesTheSelectedModeAndBothBoxes) {
  vexil::SetupDialogModel model(ListOf({Mode(640, 480, 60), Mode(1024, 768, 75)}, 0, 0, 0),
                                /*fullscreen=*/true);
  EXPECT_TRUE(model.fullscreen) << "the box starts as the script says";
  EXPECT_FALSE(model.loop) << "Loop starts unchecked";
  model.Select(1);
  model.fullscreen = false;
  model.loop = true;
  ASSERT_TRUE(model.Run());
  EXPECT_TRUE(model.finished());
  EXPECT_TRUE(model.result());
  EXPECT_EQ(640u, model.chosen_mode().width);
  EXPECT_EQ(60u, model.chosen_mode().refresh_rate);
  EXPECT_FALSE(model.fullscreen);
  EXPECT_TRUE(model.loop);
}

TEST(SetupDialogModel, RunWithAnEmptyListKeepsTheDialogOpen) {
  vexil::SetupDialogModel model(ModeList{}, false);
  EXPECT_FALSE(model.Run());
  EXPECT_FALSE(model.finished());
  model.Cancel();
  EXPECT_TRUE(model.finished());
  EXPECT_FALSE(model.result());
}

TEST(SetupDialogModel, SelectIgnoresIndicesOutsideTheList) {
  vexil::SetupDialogModel model(ListOf({Mode(640, 480, 60), Mode(800, 600, 60)}, 0, 0, 0), false);
  model.Select(5);
  model.Select(-1);
  EXPECT_EQ(0, model.selection());
}

}  // namespace

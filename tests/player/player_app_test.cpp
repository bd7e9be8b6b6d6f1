// CPlayerApp built in check mode on the null device: wiring of the engine objects, the demo
// name, the settings, the libraries (the engine first) and the display's size and camera.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "player_app.h"
#include "support/scratch_dir.h"

namespace {

class PlayerAppTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& text) {
    const std::string path = dir_ + "/demo.xml";
    std::ofstream(path) << text;
    return path;
  }

  static vexil::PlayerOptions Check(const std::string& path) {
    vexil::PlayerOptions options;
    options.mode = vexil::PlayerMode::kCheck;
    options.script_path = path;
    return options;
  }

  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
};

TEST_F(PlayerAppTest, WiresTheEngineObjectsAndBuildsTheDisplay) {
  const std::string path = Write(
      "<demo name=\"Wired\"><settings><width value=\"320\"/><height value=\"200\"/>"
      "<starttime value=\"250\"/></settings><libraries/></demo>");
  CPlayerApp app(Check(path));
  const int status = app.Run();
  EXPECT_EQ(0, status);
  EXPECT_STREQ("Wired", app.GetName());
  EXPECT_FLOAT_EQ(250.0f, app.GetSettings().starttime);

  CDemoDevice& demo = app.GetDemo().demoDevice;
  EXPECT_EQ(&app.GetDemo().widgetManager, demo.m_pWidgetManager);
  EXPECT_EQ(&app.GetDemo().resourceManager, demo.m_pResourceManager);
  EXPECT_EQ(&app.GetDemo().textureManager, demo.m_pTextureManager);
  ASSERT_NE(nullptr, demo.m_pD3D);
  ASSERT_NE(nullptr, demo.m_pD3DDevice);
  EXPECT_EQ(320, demo.m_width);
  EXPECT_EQ(200, demo.m_height);

  D3DMATRIX view;
  ASSERT_EQ(D3D_OK, demo.m_pD3DDevice->GetTransform(D3DTS_VIEW, &view));
  EXPECT_FLOAT_EQ(2.4f, view._43) << "the fixed camera is installed";
}

TEST_F(PlayerAppTest, LibrariesWithoutChildrenStillLoadTheEngine) {
  const std::string path = Write(
      "<demo name=\"x\"><settings><width value=\"64\"/><height value=\"48\"/></settings>"
      "<libraries/></demo>");
  CPlayerApp app(Check(path));
  app.Run();
  ASSERT_EQ(1, app.GetDemo().widgetManager.GetLibraryCount());
  EXPECT_NE(std::string::npos,
            app.GetDemo().widgetManager.GetLibrary(0)->path.find("libscenecore"));
}

TEST_F(PlayerAppTest, TheRootWithoutANameGivesAnEmptyNameAndAFinding) {
  const std::string path =
      Write("<demo><settings><width value=\"64\"/><height value=\"48\"/></settings></demo>");
  CPlayerApp app(Check(path));
  const int status = app.Run();
  EXPECT_STREQ("", app.GetName());
  ASSERT_EQ(1u, app.GetFindings().size());
  EXPECT_NE(std::string::npos, app.GetFindings()[0].text.find("no \"name\""));
  EXPECT_EQ(1, status);
}

TEST_F(PlayerAppTest, LongNamesAreCutBetweenCharacters) {
  // 127 two-byte characters fill 254 bytes; the 128th would straddle the 255-byte limit.
  std::string name;
  for (int i = 0; i < 130; ++i) name += "\xC3\xA9";  // U+00E9
  const std::string path = Write("<demo name=\"" + name +
                                 "\"><settings><width value=\"64\"/><height value=\"48\"/>"
                                 "</settings></demo>");
  CPlayerApp app(Check(path));
  app.Run();
  EXPECT_EQ(name.substr(0, 254), app.GetName());
}

TEST_F(PlayerAppTest, ASecondSettingsElementIsReportedAndIgnored) {
  const std::string path = Write(
      "<demo name=\"x\"><settings><width value=\"64\"/><height value=\"48\"/></settings>"
      "<settings><width value=\"800\"/></settings></demo>");
  CPlayerApp app(Check(path));
  app.Run();
  EXPECT_EQ(64, app.GetSettings().width);
  EXPECT_EQ(64, app.GetDemo().demoDevice.m_width);
  ASSERT_EQ(1u, app.GetFindings().size());
  EXPECT_NE(std::string::npos, app.GetFindings()[0].text.find("second \"settings\""));
}

TEST_F(PlayerAppTest, AnUnreadableScriptFailsWithoutBuildingAnything) {
  CPlayerApp app(Check((dir_ + "/absent.xml")));
  const int status = app.Run();
  EXPECT_EQ(1, status);
  EXPECT_EQ(nullptr, app.GetDemo().demoDevice.m_pD3D);
  EXPECT_EQ(0, app.GetDemo().widgetManager.GetLibraryCount());
}

}  // namespace

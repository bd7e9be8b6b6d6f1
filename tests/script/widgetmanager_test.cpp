// CWidgetManager: library search, catalogue walks and ties, creation, and the order in which
// objects and libraries go at destruction. Uses the test plug-ins of tests/plugins.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "pluginlog.h"
#include "scenecore.h"
#include "support/scratch_dir.h"

namespace {

std::string OriginOf(CDataProvider* object) {
  CValue* origin = object ? object->FindValue("origin") : nullptr;
  return origin ? static_cast<CValueString*>(origin)->GetDefault() : "(none)";
}

std::vector<std::string> EventsStartingWith(const std::string& prefix) {
  std::vector<std::string> events;
  for (const std::string& event : PluginLog()) {
    if (event.compare(0, prefix.size(), prefix) == 0) events.push_back(event);
  }
  return events;
}

class WidgetManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { PluginLog().clear(); }
};

TEST_F(WidgetManagerTest, MapsDllNamesAndSearchesOnlyTheEngineAndScriptFolders) {
  const std::string engine = CWidgetManager::GetEngineFolder();
  ASSERT_FALSE(engine.empty());
  EXPECT_EQ(std::string(VEXIL_BIN_DIR), engine) << "libscenecore.so lives in the bin folder";
  vexil::test::ScratchDir show;
  ASSERT_TRUE(vexil::test::WriteFile(show.File("libMyFx.so"), "shipped with the demo"));
  ASSERT_TRUE(vexil::test::WriteFile(show.File("libtest_plugin_alpha.so"), "a stale copy"));
  ASSERT_TRUE(vexil::test::WriteFile(show.File("odd.dll"), "a plug-in named the Windows way"));

  EXPECT_EQ((std::vector<std::string>{engine + "/libeffectpack.so"}),
            CWidgetManager::GetCandidates("effectpack.dll"));
  EXPECT_EQ((std::vector<std::string>{engine + "/libeffectpack.so"}),
            CWidgetManager::GetCandidates("EffectPack.DLL"))
      << "any letter case";
  EXPECT_EQ((std::vector<std::string>{show.File("libMyFx.so")}),
            CWidgetManager::GetCandidates("myfx.dll", show.path()))
      << "found beside the script in any letter case";
  EXPECT_EQ((std::vector<std::string>{engine + "/libtest_plugin_alpha.so",
                                      show.File("libtest_plugin_alpha.so")}),
            CWidgetManager::GetCandidates("test_plugin_alpha.dll", show.path()))
      << "the program's own library first";
  EXPECT_EQ((std::vector<std::string>{show.File("odd.dll")}),
            CWidgetManager::GetCandidates("odd.dll", show.path()));
  EXPECT_TRUE(CWidgetManager::GetCandidates("libc.so.6").empty())
      << "the system's libraries are not searched";
  EXPECT_TRUE(CWidgetManager::GetCandidates("nothing.dll", show.path()).empty());
  for (const char* refused :
       {"plugins/fx.dll", "plugins\\fx.dll", "/opt/libfx.so", "../fx.dll", "..", "fx..dll", ""}) {
    EXPECT_TRUE(CWidgetManager::GetCandidates(refused, show.path()).empty()) << refused;
    EXPECT_FALSE(CWidgetManager::RefuseName(refused).empty()) << refused;
  }
  EXPECT_TRUE(CWidgetManager::GetCandidates(nullptr).empty());
}

TEST_F(WidgetManagerTest, LoadsByDllNameInAnyCase) {
  CWidgetManager manager;
  ASSERT_TRUE(manager.Load("test_plugin_alpha.DLL")) << manager.GetLastError();
  EXPECT_EQ(std::string(VEXIL_BIN_DIR) + "/libtest_plugin_alpha.so", manager.GetLibrary(0)->path);
  ASSERT_TRUE(manager.Load("libtest_plugin_beta.so")) << manager.GetLastError();
  EXPECT_EQ(2, manager.GetLibraryCount());
  EXPECT_TRUE(manager.GetLastError().empty());
  ASSERT_TRUE(manager.Load("Test_Plugin_ALPHA.dll")) << "names written for Windows, any case";
  EXPECT_EQ(std::string(VEXIL_BIN_DIR) + "/libtest_plugin_alpha.so", manager.GetLibrary(2)->path);
}

TEST_F(WidgetManagerTest, RefusesPathsMissingLibrariesAndFilesThatAreNoPlugIns) {
  vexil::test::ScratchDir show;
  CWidgetManager manager;
  manager.SetScriptFolder(show.path());
  EXPECT_FALSE(manager.Load("no_such_plugin.dll"));
  EXPECT_EQ(
      "no library \"no_such_plugin.dll\" in the program's library folder or the script's "
      "folder",
      manager.GetLastError());
  EXPECT_FALSE(manager.Load(""));
  EXPECT_FALSE(manager.Load(nullptr));
  const std::string beta = std::string(VEXIL_BIN_DIR) + "/libtest_plugin_beta.so";
  EXPECT_FALSE(manager.Load(beta.c_str())) << "a path, even to a plug-in";
  EXPECT_NE(std::string::npos, manager.GetLastError().find("loaded only from the program's "
                                                           "library folder or the script's folder"))
      << manager.GetLastError();

  EXPECT_FALSE(manager.Load("test_plugin_noexport.dll")) << "FreeInstance is missing";
  EXPECT_NE(std::string::npos,
            manager.GetLastError().find("not a plug-in library: it does not define FreeInstance"))
      << manager.GetLastError();
  ASSERT_TRUE(vexil::test::WriteFile(show.File("libtext.so"), "text under a library's name"));
  EXPECT_FALSE(manager.Load("text.dll"));
  EXPECT_NE(std::string::npos, manager.GetLastError().find("not a shared library (no ELF header)"))
      << manager.GetLastError();
  EXPECT_EQ(0, manager.GetLibraryCount());
  EXPECT_EQ(nullptr, manager.CreateInstance("ghost", 0)) << "the refused library takes no part";
  EXPECT_EQ((std::vector<std::string>{}), EventsStartingWith("load"))
      << "a library that is no plug-in is never loaded: none of its code runs";
}

TEST_F(WidgetManagerTest, AtMost64LibrariesAreLoaded) {
  CWidgetManager manager;
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(manager.Load("test_plugin_beta.dll")) << i;
  EXPECT_FALSE(manager.Load("test_plugin_alpha.dll"));
  EXPECT_TRUE(manager.LastLoadRefused());
  EXPECT_EQ(
      "library \"test_plugin_alpha.dll\" is refused: 64 libraries, the limit, are loaded "
      "already",
      manager.GetLastError());
  EXPECT_EQ(64, manager.GetLibraryCount());
}

TEST_F(WidgetManagerTest, FindsNamesWithoutRegardToCaseAndEarlierLibrariesWin) {
  CWidgetManager manager;
  ASSERT_TRUE(manager.Load("test_plugin_alpha.dll"));
  ASSERT_TRUE(manager.Load("test_plugin_beta.dll"));

  CDataProvider* blur = manager.CreateInstance("Blur", 0);
  EXPECT_EQ("alpha:blur:0", OriginOf(blur)) << "the library loaded first wins";
  EXPECT_EQ(&manager, blur->GetWidgetManager()) << "the manager marks its objects";
  EXPECT_EQ("alpha:shared:2", OriginOf(manager.CreateInstance("SHARED", 2)));
  EXPECT_EQ("beta:betaonly:0", OriginOf(manager.CreateInstance("betaonly", 0)));
  EXPECT_EQ("alpha:twin:0", OriginOf(manager.CreateInstance("twin", 0)))
      << "within a library the lower index wins";
  EXPECT_EQ(4, manager.GetObjectCount());

  EXPECT_EQ(nullptr, manager.CreateInstance("nothing", 0));
  EXPECT_EQ(nullptr, manager.CreateInstance(nullptr, 0));
  EXPECT_EQ(nullptr, manager.CreateInstance("twin", 2))
      << "the first entry named twin is a module, so no resource is made";
  EXPECT_EQ(4, manager.GetObjectCount()) << "failed requests add nothing";

  // Why nothing was made is kept for the caller, which knows the script line to report it at.
  std::vector<std::string> messages;
  manager.SetReporter(
      [&](const CScriptFinding& finding) { messages.push_back(finding.Printed()); });
  manager.CreateInstance("twin", 2);
  EXPECT_EQ("\"twin\" is a module type, not a resource type", manager.GetCreateError());
  manager.CreateInstance("nothing", 0);
  EXPECT_EQ("unknown module type \"nothing\": no loaded library offers it",
            manager.GetCreateError());
  EXPECT_NE(nullptr, manager.CreateInstance("twin", 0));
  EXPECT_EQ("", manager.GetCreateError());
  EXPECT_FALSE(manager.Load("no_such_plugin.dll"));
  EXPECT_NE(std::string::npos, manager.GetLastError().find("no_such_plugin"))
      << manager.GetLastError();
  EXPECT_TRUE(messages.empty()) << "the manager itself knows no script line to report";
}

TEST_F(WidgetManagerTest, WalksCatalogueIndexesFromZeroUpToTheFirstFalse) {
  CWidgetManager manager;
  ASSERT_TRUE(manager.Load("test_plugin_alpha.dll"));
  ASSERT_TRUE(manager.Load("test_plugin_beta.dll"));
  PluginLog().clear();
  ASSERT_NE(nullptr, manager.CreateInstance("betaonly", 0));
  EXPECT_EQ((std::vector<std::string>{"GetName alpha 0", "GetName alpha 1", "GetName alpha 2",
                                      "GetName alpha 3", "GetName alpha 4", "GetName alpha 5",
                                      "GetName beta 0", "GetName beta 1"}),
            EventsStartingWith("GetName"));
  PluginLog().clear();
  ASSERT_NE(nullptr, manager.CreateInstance("betaonly", 0));
  EXPECT_EQ(8u, EventsStartingWith("GetName").size()) << "nothing is cached between requests";
}

TEST_F(WidgetManagerTest, SameLibraryTwiceIsEnteredTwiceAndTheFirstCopyServes) {
  {
    CWidgetManager manager;
    ASSERT_TRUE(manager.Load("test_plugin_beta.dll"));
    ASSERT_TRUE(manager.Load("test_plugin_beta.dll"));
    EXPECT_EQ(2, manager.GetLibraryCount());
    PluginLog().clear();
    ASSERT_NE(nullptr, manager.CreateInstance("blur", 0));
    EXPECT_EQ(3u, EventsStartingWith("GetName").size()) << "the second copy is never asked";
  }
  EXPECT_EQ((std::vector<std::string>{"unload beta"}), EventsStartingWith("unload"))
      << "both references are released; the library goes with the last";
}

TEST_F(WidgetManagerTest, FreesObjectsInCreationOrderThenUnloadsLibrariesInLoadOrder) {
  {
    CWidgetManager manager;
    ASSERT_TRUE(manager.Load("test_plugin_alpha.dll"));
    ASSERT_TRUE(manager.Load("test_plugin_beta.dll"));
    ASSERT_TRUE(manager.Load("scenecore.dll")) << manager.GetLastError();
    ASSERT_NE(nullptr, manager.CreateInstance("betaonly", 0));
    ASSERT_NE(nullptr, manager.CreateInstance("blur", 0));
    ASSERT_NE(nullptr, manager.CreateInstance("linearfloat", 1)) << "served by scenecore";
    ASSERT_NE(nullptr, manager.CreateInstance("shared", 2));
    PluginLog().clear();
  }
  EXPECT_EQ(
      (std::vector<std::string>{
          "free beta:betaonly:0", "FreeInstance beta", "destroy beta:betaonly:0",
          "free alpha:blur:0", "FreeInstance alpha", "destroy alpha:blur:0", "free alpha:shared:2",
          "FreeInstance alpha", "destroy alpha:shared:2", "unload alpha", "unload beta"}),
      PluginLog())
      << "Free right before FreeInstance, one object at a time, libraries last";
}

}  // namespace

// An installation, as a user has it: under a prefix of its own, played from another folder,
// with nothing of the build tree on the library path; and the plug-in SDK it carries, used by
// the example effect library built outside the tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "install_fixture.h"
#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vexil::test {
namespace {

namespace fs = std::filesystem;

class Installed : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetBuildLibraryPath();
    prefix_ = InstalledPrefix();
    ASSERT_FALSE(prefix_.empty());
  }
  std::string Player() const { return prefix_ + "/bin/vexil"; }
  std::string Demo() const { return prefix_ + "/share/vexil/demo"; }

  std::string prefix_;
};

TEST_F(Installed, PutsEachFileWhereTheSystemLooksForIt) {
  for (const char* file : {"bin/vexil",
                           "bin/vexil-gma",
                           "bin/vexil-imagegen",
                           "bin/vexil-xmeshgen",
                           "bin/vexil-synth",
                           "lib/vexil/libscenecore.so",
                           "lib/vexil/libeffectpack.so",
                           "lib/vexil/libvexil_video.so",
                           "lib/vexil/libvexil_d3d9.so",
                           "share/vexil/demo/demo.gma",
                           "share/vexil/demo/demo.zip",
                           "share/vexil/demo/demo.xml",
                           "share/vexil/demo/music.ogg",
                           "share/vexil/demo/knot.x",
                           "share/doc/vexil/README.md",
                           "share/doc/vexil/PLUGINS.md",
                           "share/man/man1/vexil.1.gz",
                           "share/man/man1/vexil-gma.1.gz",
                           "share/man/man1/vexil-join.1.gz",
                           "share/bash-completion/completions/vexil",
                           "share/applications/vexil.desktop",
                           "share/mime/packages/vexil.xml",
                           "share/icons/hicolor/scalable/apps/vexil.svg",
                           "include/vexil/scenecore.h",
                           "include/vexil/d3d9/d3d9.h",
                           "include/vexil/d3dx9/d3dx9.h",
                           "lib/pkgconfig/vexil-plugin.pc",
                           "lib/cmake/vexil-plugin/vexil-pluginConfig.cmake"}) {
    EXPECT_TRUE(fs::exists(prefix_ + "/" + file)) << file;
  }
  // Only what the demo is made of: no render output a run in the build folder left behind.
  for (const auto& entry : fs::directory_iterator(Demo())) {
    EXPECT_TRUE(entry.is_regular_file()) << entry.path();
  }
}

TEST_F(Installed, ReportsTheProjectsVersion) {
  const RunResult run = RunProgram(Player(), {"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string("vexil ") + VEXIL_PROJECT_VERSION + "\n");
}

TEST_F(Installed, FindsItsLibrariesInItsOwnPrefixOnly) {
  const RunResult run = RunProgram("/usr/bin/ldd", {Player()});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* library : {"libscenecore.so", "libvexil_d3d9.so", "libvexil_system.so"}) {
    EXPECT_NE(run.out.find(std::string(library) + " => " + prefix_ + "/bin/../lib/vexil/"),
              std::string::npos)
        << library << " in\n"
        << run.out;
  }
  EXPECT_EQ(run.out.find(VEXIL_BUILD_DIR), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("not found"), std::string::npos) << run.out;
}

TEST_F(Installed, WorksAfterTheWholeTreeIsMoved) {
  ScratchDir elsewhere;
  const std::string moved = elsewhere.File("opt/vexil");
  std::error_code ec;
  fs::create_directories(moved, ec);
  fs::copy(prefix_, moved, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  ASSERT_FALSE(ec) << ec.message();
  ScratchDir work;
  ASSERT_TRUE(work.LinkFilesFrom(moved + "/share/vexil/demo"));
  const RunResult run = RunProgram(moved + "/bin/vexil",
                                   {"--capture", work.File("frames"), "--fps", "1", "--from",
                                    "31000", "--to", "31000", "demo.gma"},
                                   work.path());
  EXPECT_EQ(run.status, 0) << run.err;
  // Frame 31 of the render from the demo's start: 31 s at 1 fps.
  EXPECT_TRUE(fs::exists(work.File("frames/frame-000031.png")));
}

// The video library is loaded from the program's library folder, lib/vexil.
TEST_F(Installed, LoadsTheVideoLibraryFromItsLibraryFolder) {
  ScratchDir work;
  const RunResult run = RunProgram(Player(),
                                   {"--video", work.File("demo.mp4"), "--fps", "10", "--from",
                                    "31000", "--to", "31500", Demo() + "/demo.zip"},
                                   work.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_GT(fs::exists(work.File("demo.mp4")) ? fs::file_size(work.File("demo.mp4")) : 0u, 1000u);
}

// The installed demo, checked and rendered by the installed player from a folder of its own.
// A script names its files relative to the folder it is played from: the user's folder holds
// links to the installed demo's files (the installed folder itself may not be writable, and
// the demo's timing aid writes its log where it plays).
TEST_F(Installed, ChecksAndRendersTheInstalledDemoFromAnotherFolder) {
  ScratchDir work;
  ASSERT_TRUE(work.LinkFilesFrom(Demo()));
  const RunResult check = RunProgram(Player(), {"--check", "demo.gma"}, work.path());
  EXPECT_EQ(check.status, 0) << check.out << check.err;

  // Two moments of the drop: the neon torus tunnel fills the screen.
  const RunResult capture = RunProgram(Player(),
                                       {"--capture", work.File("frames"), "--fps", "2", "--from",
                                        "31000", "--to", "31500", "demo.gma"},
                                       work.path());
  ASSERT_EQ(capture.status, 0) << capture.err;
  for (const char* frame : {"frame-000062.png", "frame-000063.png"}) {  // 31 s at 2 fps
    const Picture picture = LoadPng(work.File(std::string("frames/") + frame));
    ASSERT_TRUE(picture.ok()) << frame;
    EXPECT_EQ(picture.width, 640);
    EXPECT_GT(LitShare(picture), 0.3) << frame << " is mostly black";
  }
  EXPECT_TRUE(fs::exists(work.File("frames/audio.wav")));

  // The bundle carries its files: it plays from an empty folder, and draws the same frame.
  ScratchDir empty;
  const RunResult bundle = RunProgram(Player(),
                                      {"--capture", empty.File("frames"), "--fps", "2", "--from",
                                       "31000", "--to", "31000", Demo() + "/demo.zip"},
                                      empty.path());
  ASSERT_EQ(bundle.status, 0) << bundle.err;
  const Picture fromBundle = LoadPng(empty.File("frames/frame-000062.png"));
  const Picture fromFolder = LoadPng(work.File("frames/frame-000062.png"));
  ASSERT_TRUE(fromBundle.ok());
  EXPECT_TRUE(fromBundle.rgba == fromFolder.rgba);
}

// The example effect library, built outside the tree against the installed SDK, loaded by
// the installed player from its script's folder and checked by the colours it draws.
class PluginSdk : public Installed {
 protected:
  // Plays checker.xml with `library` beside it, one frame at 0 ms and one at 1000 ms.
  void ExpectBoardDrawn(const std::string& library) {
    ScratchDir play;
    std::error_code ec;
    fs::copy_file(library, play.File("libcheckerpack.so"), ec);
    ASSERT_FALSE(ec) << ec.message();
    fs::copy_file(std::string(VEXIL_SOURCE_DIR) + "/examples/plugin/checker.xml",
                  play.File("checker.xml"), ec);
    ASSERT_FALSE(ec);
    ScratchDir work;
    const RunResult run = RunProgram(
        Player(),
        {"--capture", work.File("frames"), "--fps", "1", "--to", "1000", play.File("checker.xml")},
        work.path());
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err.find("unknown module"), std::string::npos) << run.err;

    // 320 x 240, four squares across: 80-pixel squares, red at the top left, then blue.
    const Picture first = LoadPng(work.File("frames/frame-000000.png"));
    ASSERT_TRUE(first.ok());
    ASSERT_EQ(first.width, 320);
    const Rgba red{255, 0, 0, 255}, blue{0, 0, 255, 255};
    EXPECT_RGB_NEAR(red, first.At(40, 40), 2);
    EXPECT_RGB_NEAR(blue, first.At(120, 40), 2);
    EXPECT_RGB_NEAR(blue, first.At(40, 120), 2);
    EXPECT_RGB_NEAR(red, first.At(120, 120), 2);
    EXPECT_RGB_NEAR(blue, first.At(300, 220), 2);
    // Halfway through the keys: both colours halfway to green and yellow.
    const Picture middle = LoadPng(work.File("frames/frame-000001.png"));
    ASSERT_TRUE(middle.ok());
    EXPECT_RGB_NEAR((Rgba{128, 128, 0, 255}), middle.At(40, 40), 3);
    EXPECT_RGB_NEAR((Rgba{128, 128, 128, 255}), middle.At(120, 40), 3);
  }
};

TEST_F(PluginSdk, CMakePackageBuildsALibraryTheInstalledPlayerDraws) {
  ScratchDir build;
  RunLimits limits;
  limits.seconds = 300;
  const RunResult configure =
      RunProgram(VEXIL_CMAKE,
                 {"-S", std::string(VEXIL_SOURCE_DIR) + "/examples/plugin", "-B", build.path(),
                  "-DCMAKE_PREFIX_PATH=" + prefix_, "-DCMAKE_BUILD_TYPE=Release"},
                 "", limits);
  ASSERT_EQ(configure.status, 0) << configure.out << configure.err;
  // It found the installed package, not anything of the build tree.
  EXPECT_NE(ReadFile(build.File("CMakeCache.txt")).find(prefix_ + "/lib/cmake/vexil-plugin"),
            std::string::npos);
  const RunResult compile = RunProgram(VEXIL_CMAKE, {"--build", build.path()}, "", limits);
  ASSERT_EQ(compile.status, 0) << compile.out << compile.err;
  ExpectBoardDrawn(build.File("libcheckerpack.so"));
}

TEST_F(PluginSdk, PkgConfigFileBuildsTheSameLibrary) {
  ScratchDir build;
  const std::string source = std::string(VEXIL_SOURCE_DIR) + "/examples/plugin";
  const std::string command =
      "PKG_CONFIG_PATH='" + prefix_ + "/lib/pkgconfig' && export PKG_CONFIG_PATH && " +
      "c++ -std=c++17 -shared -fPIC -o libcheckerpack.so '" + source + "/checker_module.cpp' '" +
      source + "/catalogue.cpp' $(pkg-config --cflags --libs vexil-plugin)";
  RunLimits limits;
  limits.seconds = 300;
  const RunResult compile = RunProgram("/bin/sh", {"-c", command}, build.path(), limits);
  ASSERT_EQ(compile.status, 0) << compile.out << compile.err;
  ExpectBoardDrawn(build.File("libcheckerpack.so"));
}

}  // namespace
}  // namespace vexil::test

// Watching a demo's files: a write, a save by rename, a removal and a new file in a watched
// folder are noticed, by notification and by polling alike; other files in the same folder
// (and in a watched folder, files that are not pictures) are not, and a change is reported once.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "support/scratch_dir.h"
#include "system/file_watch.h"

namespace vexil::sys {
namespace {

using Method = FileWatcher::Method;

class FileWatchTest : public ::testing::TestWithParam<Method> {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    ASSERT_TRUE(test::WriteFile(dir_.File("demo.xml"), "<demo/>"));
    ASSERT_TRUE(test::WriteFile(dir_.File("pic.png"), "png"));
    ASSERT_TRUE(test::WriteFile(dir_.File("other.txt"), "x"));
    ASSERT_EQ(0, ::mkdir(dir_.File("textures").c_str(), 0700));
    watcher_.Watch({dir_.File("demo.xml"), dir_.File("pic.png")}, {dir_.File("textures")},
                   {".png", ".JPG"});
    EXPECT_FALSE(watcher_.Changed()) << "nothing has happened yet";
  }

  // Whether the watcher reports a change within a second (polling looks every quarter second).
  bool Sees() {
    for (int i = 0; i < 100; ++i) {
      if (watcher_.Changed()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  // File times have a coarse grain on some file systems: let a change be a new second.
  void Tick() {
    if (GetParam() == Method::kPoll) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

  test::ScratchDir dir_;
  FileWatcher watcher_{GetParam()};
};

TEST_P(FileWatchTest, SeesWritesRenamesRemovalsAndNewFilesInFolders) {
  EXPECT_EQ(GetParam(), watcher_.method());
  Tick();
  ASSERT_TRUE(test::WriteFile(dir_.File("demo.xml"), "<demo name=\"longer\"/>"));
  EXPECT_TRUE(Sees()) << "a write";
  EXPECT_FALSE(watcher_.Changed()) << "reported once";

  // An editor's save: a new file renamed over the old one.
  Tick();
  ASSERT_TRUE(test::WriteFile(dir_.File(".pic.png.tmp"), "new png"));
  ASSERT_EQ(0, std::rename(dir_.File(".pic.png.tmp").c_str(), dir_.File("pic.png").c_str()));
  EXPECT_TRUE(Sees()) << "a rename over the file";

  ASSERT_EQ(0, std::remove(dir_.File("pic.png").c_str()));
  EXPECT_TRUE(Sees()) << "a removal";

  ASSERT_TRUE(test::WriteFile(dir_.File("textures/wood.png"), "png"));
  EXPECT_TRUE(Sees()) << "a new picture in a watched folder";
  Tick();
  ASSERT_TRUE(test::WriteFile(dir_.File("textures/wood.png"), "a new wood grain"));
  EXPECT_TRUE(Sees()) << "a picture in a watched folder written again";
  ASSERT_TRUE(test::WriteFile(dir_.File("textures/STONE.jpg"), "jpg"));
  EXPECT_TRUE(Sees()) << "extensions in any case";
}

TEST_P(FileWatchTest, OtherFilesOfTheFolderAreNotWatched) {
  ASSERT_TRUE(test::WriteFile(dir_.File("other.txt"), "changed"));
  ASSERT_TRUE(test::WriteFile(dir_.File("textures/timing.txt"), "a log written beside textures"));
  EXPECT_FALSE(Sees());
}

INSTANTIATE_TEST_SUITE_P(BothMethods, FileWatchTest,
                         ::testing::Values(Method::kNotify, Method::kPoll), [](const auto& tested) {
                           return tested.param == Method::kNotify ? "Notify" : "Poll";
                         });

}  // namespace
}  // namespace vexil::sys

// The bundled demo, which uses every module type of the effect library, built on the null
// device as edit mode builds it, played through every scene and freed: every texture, surface
// and buffer it made goes, and nothing else holds the device or the Direct3D object.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "d3d9/d3d9_reuse.h"
#include "edit/demo_builder.h"
#include "fsound/fsound.h"
#include "support/scratch_dir.h"
#include "support/test_device.h"

namespace vexil {
namespace {

const std::string kDemo = std::string(VEXIL_BIN_DIR) + "/../demo";

class BundledDemoDeviceObjectsTest : public ::testing::Test {
 protected:
  // The music opens and decodes, without a sound device.
  void SetUp() override { FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND); }
  void TearDown() override { FSOUND_SetOutput(-1); }
};

TEST_F(BundledDemoDeviceObjectsTest, FreeingTheDemoLeavesNoDeviceObjectAlive) {
  // Played from links to the built demo: its timing aid writes into the folder it plays from.
  test::ScratchDir folder(test::ScratchDir::kEnter);
  ASSERT_TRUE(folder.LinkFilesFrom(kDemo)) << "cannot link " << kDemo;
  // A log left by an earlier run from the built demo's folder is not the demo's: linked, the
  // timing aid would refuse to write through it and report that as a problem.
  std::filesystem::remove(folder.File("timing.txt"));
  test::TestDevice device(test::Backend::kNull, 640, 480);
  ASSERT_TRUE(device.ok());
  const UINT before = VexilCountLiveResources(device.device());

  DemoBuild build = BuildDemo("demo.xml", ".", device.d3d(), device.device(), 640, 480);
  ASSERT_TRUE(build.ok()) << build.problems.front();
  EXPECT_GT(VexilCountLiveResources(device.device()), before + 10)
      << "the demo's pictures, render targets and buffers live on the device";
  // Half a beat apart through all eight scenes: every module draws, and the fonts make their
  // glyph pages, at least once.
  for (float t = 0.0f; t <= 122500.0f; t += 234.375f) {
    ASSERT_TRUE(build.demo->timeline.Render(t)) << "at " << t << " ms";
  }
  build.demo.reset();
  // What the last draws left bound the device holds itself, as Direct3D does: unbound, all
  // of the demo's objects must be gone.
  ASSERT_EQ(D3D_OK, VexilResetDeviceState(device.device()));

  EXPECT_EQ(before, VexilCountLiveResources(device.device()))
      << "every texture, surface and buffer of the demo is released with it";
  EXPECT_TRUE(device.Release()) << "no font, mesh or module still holds the device";
}

}  // namespace
}  // namespace vexil

// Helpers of the player's end-to-end tests: a scratch folder per test, scripts written into
// it, the vexil binary run there with its exit status and output, and captured frames read
// back as pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vexil_e2e {

using vexil::test::Picture;
using vexil::test::ReadFile;
using vexil::test::RunResult;
bool FileExists(const std::string& path);

// A script for the test module library: `settings` is the inside of <settings> (a 64x48
// display unless given), `resources` and `timeline` the insides of those elements.
std::string Script(const std::string& timeline, const std::string& resources = "",
                   const std::string& settings = "");

// A 16-bit stereo PCM WAV file at 44100 Hz of `frames` sample frames; both channels of frame i
// hold sample(i).
std::string StereoWav(int frames, const std::function<int16_t(int)>& sample);

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override;

  // Runs bin/vexil with the arguments in the test's scratch folder.
  RunResult Run(const std::vector<std::string>& args) const;
  // Writes `text` to a file of the scratch folder and returns its path.
  std::string Write(const std::string& name, const std::string& text) const;
  std::string Path(const std::string& name) const { return scratch_.File(name); }
  // The number of frame-NNNNNN.png files in a folder of the scratch folder.
  int CountFrames(const std::string& folder) const;
  Picture Frame(const std::string& folder, int index) const;

  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
};

}  // namespace vexil_e2e

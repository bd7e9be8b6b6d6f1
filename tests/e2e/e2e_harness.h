// Helpers of the player's end-to-end tests: a scratch folder per test, scripts written into
// it, the vexil binary run there with its exit status and output, and captured frames read
// back as pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vexil_e2e {

struct RunResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  bool ok() const { return width > 0; }
  // 0xRRGGBB of the pixel at (x, y), counted from the top-left corner.
  uint32_t Pixel(int x, int y) const;
};

Image LoadPng(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

// A script for the test module library: `settings` is the inside of <settings> (a 64x48
// display unless given), `resources` and `timeline` the insides of those elements.
std::string Script(const std::string& timeline, const std::string& resources = "",
                   const std::string& settings = "");

class PlayerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs bin/vexil with the arguments in the test's scratch folder.
  RunResult Run(const std::vector<std::string>& args) const;
  // Writes `text` to a file of the scratch folder and returns its path.
  std::string Write(const std::string& name, const std::string& text) const;
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  // The number of frame-NNNNNN.png files in a folder of the scratch folder.
  int CountFrames(const std::string& folder) const;
  Image Frame(const std::string& folder, int index) const;

  std::string dir_;
};

}  // namespace vexil_e2e

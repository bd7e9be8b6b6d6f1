// The installation the install tests share.
#include "install_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vexil::test {

namespace {

// Removed (with the installation) when the test program ends.
std::unique_ptr<ScratchDir> g_prefixDir;
std::string g_prefix;

}  // namespace

void ForgetBuildLibraryPath() {
  unsetenv("LD_LIBRARY_PATH");
  unsetenv("LD_PRELOAD");
}

const std::string& InstalledPrefix() {
  if (!g_prefix.empty()) return g_prefix;
  g_prefixDir = std::make_unique<ScratchDir>();
  const std::string prefix = g_prefixDir->File("usr");
  RunLimits limits;
  limits.seconds = 300;
  limits.fileMiB = 1024;
  const RunResult run =
      RunProgram(VEXIL_CMAKE, {"--install", VEXIL_BUILD_DIR, "--prefix", prefix}, "", limits);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  if (run.status == 0) g_prefix = prefix;
  static const std::string kNone;
  return run.status == 0 ? g_prefix : kNone;
}

}  // namespace vexil::test

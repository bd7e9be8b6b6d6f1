// The Debian package of this build: what it holds, what it depends on and what it only
// recommends, and lintian's verdict.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vexil::test {
namespace {

namespace fs = std::filesystem;

RunResult Sh(const std::string& command, const std::string& folder = "") {
  RunLimits limits;
  limits.seconds = 600;
  limits.fileMiB = 2048;
  return RunProgram("/bin/sh", {"-c", command}, folder, limits);
}

TEST(DebianPackage, HoldsTheInstallationDependsOnWhatItLinksAndPassesLintian) {
  // Packages are made from the plain build; a sanitizer build's would depend on its runtime.
  if (Sanitized()) GTEST_SKIP() << "sanitizer build";
  ScratchDir out;
  const RunResult pack = Sh(std::string("'") + VEXIL_CPACK + "' -G DEB --config '" +
                            VEXIL_BUILD_DIR + "/CPackConfig.cmake' -B '" + out.path() + "'");
  ASSERT_EQ(pack.status, 0) << pack.out << pack.err;
  std::string deb;
  for (const auto& entry : fs::directory_iterator(out.path())) {
    if (entry.path().extension() == ".deb") deb = entry.path().string();
  }
  ASSERT_FALSE(deb.empty()) << pack.out;
  EXPECT_NE(deb.find(std::string("vexil_") + VEXIL_PROJECT_VERSION + "_"), std::string::npos);
  std::cout << "package " << fs::path(deb).filename().string() << ": " << fs::file_size(deb)
            << " bytes\n";

  const RunResult fields = Sh("dpkg-deb -f '" + deb + "' Version Depends Recommends");
  ASSERT_EQ(fields.status, 0) << fields.err;
  const std::string depends = fields.out.substr(0, fields.out.find("Recommends:"));
  const std::string recommends = fields.out.substr(fields.out.find("Recommends:"));
  EXPECT_NE(fields.out.find(std::string("Version: ") + VEXIL_PROJECT_VERSION), std::string::npos);
  for (const char* linked : {"libsdl2", "libtinyxml", "libsndfile1", "libc6"}) {
    EXPECT_NE(depends.find(linked), std::string::npos) << linked << " in " << depends;
  }
  // FFmpeg only for --video: recommended, never required.
  EXPECT_EQ(depends.find("libav"), std::string::npos) << depends;
  EXPECT_NE(recommends.find("libavcodec"), std::string::npos) << recommends;
  EXPECT_NE(recommends.find("libavformat"), std::string::npos) << recommends;

  const RunResult contents = Sh("dpkg-deb -c '" + deb + "'");
  for (const char* file : {"./usr/bin/vexil", "./usr/lib/vexil/libeffectpack.so",
                           "./usr/lib/vexil/libvexil_video.so", "./usr/share/vexil/demo/demo.gma",
                           "./usr/share/man/man1/vexil.1.gz", "./usr/include/vexil/scenecore.h"}) {
    EXPECT_NE(contents.out.find(std::string(file) + "\n"), std::string::npos) << file;
  }

  const RunResult lintian = Sh("lintian --no-tag-display-limit '" + deb + "'");
  std::cout << "lintian:\n" << lintian.out << lintian.err;
  EXPECT_EQ(("\n" + lintian.out).find("\nE: "), std::string::npos) << lintian.out;
}

}  // namespace
}  // namespace vexil::test

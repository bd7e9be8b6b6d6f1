// The vexil binary's answers to bad input: scripts that cannot be read, parsed or decoded,
// unusable settings and bad options end with a clear message and a non-zero status.
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

using ExitStatusTest = PlayerTest;

TEST_F(ExitStatusTest, AMissingScriptIsNamed) {
  const RunResult run = Run({"--capture", "out", "absent.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("absent.xml")) << run.err;
}

TEST_F(ExitStatusTest, NoPathMeansDemoGma) {
  const RunResult run = Run({"--capture", "out"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("\"demo.gma\"")) << run.err;
}

TEST_F(ExitStatusTest, MalformedXmlIsReportedWithItsLine) {
  Write("bad.xml", "<demo name=\"x\">\n<settings>\n<width value=\"64\">\n</settings>\n</demo>\n");
  const RunResult run = Run({"--capture", "out", "bad.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("bad.xml")) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("line ")) << run.err;
  EXPECT_EQ(0, CountFrames("out"));
}

TEST_F(ExitStatusTest, AContainerMadeWithAnotherKeyIsRefused) {
  Write("plain.gma", Script("<m type=\"fill\" start=\"0\" end=\"0\"/>"));
  const RunResult run = Run({"--capture", "out", "plain.gma"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("not a script container, or made with another key"))
      << run.err;
}

TEST_F(ExitStatusTest, SettingsWithoutASizeCannotMakeADisplay) {
  Write("demo.xml", Script("<m type=\"fill\" start=\"0\" end=\"0\"/>", "", "<bpp value=\"32\"/>"));
  const RunResult run = Run({"--capture", "out", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("display size")) << run.err;
}

TEST_F(ExitStatusTest, AFrameThatCannotBeWrittenEndsTheCapture) {
  Write("demo.xml", Script("<m type=\"fill\" start=\"0\" end=\"1000\"/>"));
  // A folder where the third frame should go leaves no room for the file.
  std::filesystem::create_directories(Path("out/frame-000002.png"));
  const RunResult run = Run({"--capture", "out", "--fps", "10", "demo.xml"});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find("frame-000002.png")) << run.err;
}

TEST_F(ExitStatusTest, BadOptionsAreUsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--frobnicate"}, {"--capture", "o", "--fps", "0"}}) {
    const RunResult run = Run(args);
    EXPECT_EQ(2, run.status) << args[0];
    EXPECT_FALSE(run.err.empty()) << args[0];
  }
}

TEST_F(ExitStatusTest, HelpAndVersionAnswerOnStdout) {
  const RunResult help = Run({"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.out.find("--capture DIR"));
  const RunResult version = Run({"--version"});
  EXPECT_EQ(0, version.status);
  EXPECT_EQ(0u, version.out.rfind("vexil ", 0));
}

}  // namespace
}  // namespace vexil_e2e

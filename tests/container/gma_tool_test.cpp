// vexil-gma as a user runs it: pack and unpack round trips, usage and error exits, and
// agreement with the player's own decoder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <string>

#include "container/container_cipher.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

// ctest runs every case as a process of its own, in parallel: each gets its own folder.
std::string Dir() {
  static const vexil::test::ScratchDir dir;
  return dir.path();
}

// Runs vexil-gma with `args` (split at spaces); answers its exit status, its stderr in `err`.
int RunTool(const std::string& args, std::string* err = nullptr) {
  const vexil::test::RunResult run =
      vexil::test::RunProgram(vexil::test::BuiltProgram("vexil-gma"), vexil::test::Words(args));
  if (err) *err = run.err;
  return run.status;
}

void Write(const std::string& path, const std::string& bytes) {
  vexil::test::WriteFile(path, bytes);
}

std::string Read(const std::string& path) {
  return vexil::test::ReadFile(path);
}

TEST(GmaTool, PackThenUnpackGivesTheScriptBack) {
  const std::string script =
      "<demo name=\"tool\">\n  <settings><width value=\"640\"/></settings>\n</demo>\n";
  const std::string plain = Dir() + "/gma_plain.xml", packed = Dir() + "/gma_packed.gma",
                    back = Dir() + "/gma_back.xml";
  Write(plain, script);
  ASSERT_EQ(0, RunTool("pack " + plain + " " + packed));
  const std::string container = Read(packed);
  EXPECT_EQ(script.size(), container.size()) << "a container has no header or padding";
  EXPECT_NE(script, container);

  // The player's decoder reads what the tool packs.
  std::string decoded, error;
  ASSERT_TRUE(vexil::LoadContainerFile(packed, &decoded, &error)) << error;
  EXPECT_EQ(script, decoded);

  ASSERT_EQ(0, RunTool("unpack " + packed + " " + back));
  EXPECT_EQ(script, Read(back));
}

TEST(GmaTool, InPlacePackingIsSafe) {
  const std::string path = Dir() + "/gma_inplace.xml";
  Write(path, "<a/>");
  ASSERT_EQ(0, RunTool("pack " + path + " " + path));
  ASSERT_EQ(0, RunTool("unpack " + path + " " + path));
  EXPECT_EQ("<a/>", Read(path));
}

TEST(GmaTool, BadArgumentsPrintUsage) {
  std::string err;
  EXPECT_EQ(2, RunTool("", &err));
  EXPECT_NE(std::string::npos, err.find("usage: vexil-gma pack IN OUT")) << err;
  EXPECT_EQ(2, RunTool("squash a b", &err));
  EXPECT_EQ(2, RunTool("pack onlyone", &err));
  EXPECT_EQ(0, RunTool("--help"));
}

TEST(GmaTool, MissingInputAndUnwritableOutputFail) {
  std::string err;
  EXPECT_EQ(1, RunTool("pack " + Dir() + "/gma_nothing_here.xml " + Dir() + "/gma_out.gma", &err));
  EXPECT_NE(std::string::npos, err.find("gma_nothing_here.xml")) << err;

  const std::string plain = Dir() + "/gma_plain2.xml";
  Write(plain, "<a/>");
  EXPECT_EQ(1, RunTool("pack " + plain + " " + Dir() + "/no/such/folder/out.gma", &err));
  EXPECT_NE(std::string::npos, err.find("cannot create")) << err;
}

TEST(GmaTool, InputsThatAreNoFilesAreRefusedAtOnce) {
  // A named pipe would block the tool.
  const std::string pipe = Dir() + "/gma_pipe.gma";
  std::remove(pipe.c_str());
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  std::string err;
  EXPECT_EQ(1, RunTool("unpack " + pipe + " " + Dir() + "/gma_out4.xml", &err));
  EXPECT_NE(std::string::npos, err.find("not a regular file (a named pipe)")) << err;
  std::remove(pipe.c_str());
}

TEST(GmaTool, ADeviceNodeIsRefusedAtOnce) {
  // A node of the zero device made here, not the system's own, which a test must not touch.
  const std::string zero = Dir() + "/gma_zero.gma";
  std::remove(zero.c_str());
  if (::mknod(zero.c_str(), S_IFCHR | 0600, makedev(1, 5)) != 0) {
    GTEST_SKIP() << "device nodes cannot be made here (mknod needs CAP_MKNOD)";
  }
  std::string err;
  EXPECT_EQ(1, RunTool("unpack " + zero + " " + Dir() + "/gma_out5.xml", &err));
  EXPECT_NE(std::string::npos, err.find("not a regular file (a character device)")) << err;
  std::remove(zero.c_str());
}

TEST(GmaTool, UnpackingAPlainFileWarns) {
  const std::string plain = Dir() + "/gma_plain3.xml", out = Dir() + "/gma_out3.xml";
  Write(plain, "<demo name=\"not packed\"/>");
  std::string err;
  EXPECT_EQ(0, RunTool("unpack " + plain + " " + out, &err));
  EXPECT_NE(std::string::npos, err.find("does not look like XML")) << err;
}

}  // namespace

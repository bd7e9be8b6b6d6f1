// vexil-gma bundle as a demo maker runs it: the bundle holds the script and exactly the files
// it refers to (what --list prints), a missing file is warned about and left out, and a name
// that would leave the bundle is refused with nothing written.
#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vexil::test {
namespace {

namespace fs = std::filesystem;

RunResult RunGma(const std::vector<std::string>& args, const std::string& folder) {
  return RunProgram(BuiltProgram("vexil-gma"), args, folder);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The entry names of the zip at `path`, in archive order; empty when it cannot be opened.
std::vector<std::string> ZipNames(const std::string& path) {
  std::vector<std::string> names;
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!archive) return names;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    names.push_back(zip_get_name(archive, static_cast<zip_uint64_t>(i), 0));
  }
  zip_close(archive);
  return names;
}

std::string ZipEntry(const std::string& path, const std::string& name) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
  if (!archive) return "";
  std::string bytes;
  zip_stat_t stat;
  zip_file_t* file = nullptr;
  if (zip_stat(archive, name.c_str(), 0, &stat) == 0 &&
      (file = zip_fopen(archive, name.c_str(), 0)) != nullptr) {
    bytes.resize(stat.size);
    if (zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size)) {
      bytes.clear();
    }
    zip_fclose(file);
  }
  zip_close(archive);
  return bytes;
}

// A small demo whose resources name `files` (as texture pictures).
std::string ScriptNaming(const std::vector<std::string>& files) {
  std::string script =
      "<demo name=\"tool\"><settings><width value=\"64\"/><height value=\"48\"/>"
      "<setupdialog value=\"0\"/></settings>"
      "<libraries><library file=\"effectpack.dll\"/></libraries><resources>";
  for (size_t i = 0; i < files.size(); ++i) {
    script += "<texture type=\"texture\" name=\"t" + std::to_string(i) +
              "\"><param name=\"filename\" type=\"string\" value=\"" + files[i] + "\"/></texture>";
  }
  return script + "</resources></demo>\n";
}

TEST(BundleTool, TheBundledDemoHoldsWhatListPrints) {
  ScratchDir work;  // the demo's timing aid writes where the tool runs
  const std::string demo = std::string(VEXIL_DEMO_DIR) + "/demo.gma";
  const RunResult list = RunGma({"bundle", "--list", demo}, work.path());
  ASSERT_EQ(list.status, 0) << list.err;
  const std::vector<std::string> listed = Lines(list.out);
  EXPECT_EQ(listed, ZipNames(std::string(VEXIL_DEMO_DIR) + "/demo.zip"));
  // The container at the top, the mesh's texture and the sync track with the rest; not the
  // plain script the container was made from.
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(listed.front(), "demo.gma");
  for (const char* name : {"knot.x", "bands.png", "music.ogg", "sync_intro.sky.track"}) {
    EXPECT_NE(std::find(listed.begin(), listed.end(), name), listed.end()) << name;
  }
  EXPECT_EQ(std::find(listed.begin(), listed.end(), "demo.xml"), listed.end());
}

TEST(BundleTool, TakesOnlyNamedFilesAndWarnsAboutMissingOnes) {
  ScratchDir work;
  const std::string picture = ReadFile(std::string(VEXIL_DEMO_DIR) + "/logo.png");
  fs::create_directory(work.File("pics"));
  ASSERT_TRUE(WriteFile(work.File("pics/logo.png"), picture));
  ASSERT_TRUE(WriteFile(work.File("unused.png"), picture));
  ASSERT_TRUE(WriteFile(work.File("demo.xml"), ScriptNaming({"pics/logo.png", "gone.png"})));

  const RunResult run = RunGma({"bundle", "demo.xml", "out.zip"}, work.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("\"gone.png\" is not found"), std::string::npos) << run.err;
  EXPECT_EQ(ZipNames(work.File("out.zip")),
            (std::vector<std::string>{"demo.xml", "pics/logo.png"}));
  EXPECT_EQ(ZipEntry(work.File("out.zip"), "pics/logo.png"), picture);

  const RunResult list = RunGma({"bundle", "--list", "demo.xml"}, work.path());
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(Lines(list.out), ZipNames(work.File("out.zip")));

  // The bundle plays: the player checks it as it checks the folder (the missing file aside).
  const RunResult check = RunPlayer({"--check", "out.zip"}, work.path());
  EXPECT_NE(check.out.find("gone.png"), std::string::npos) << check.out << check.err;
  EXPECT_EQ(check.out.find("logo.png"), std::string::npos) << check.out;
}

TEST(BundleTool, RefusesNamesThatLeaveTheScriptsFolder) {
  ScratchDir outer;
  const std::string work = outer.File("work");
  fs::create_directory(work);
  ASSERT_TRUE(WriteFile(outer.File("x.png"), ReadFile(std::string(VEXIL_DEMO_DIR) + "/logo.png")));
  for (const std::string& name : {std::string("../x.png"), outer.File("x.png")}) {
    ASSERT_TRUE(WriteFile(work + "/demo.xml", ScriptNaming({name})));
    const RunResult run = RunGma({"bundle", "demo.xml", "out.zip"}, work);
    EXPECT_EQ(run.status, 1) << name;
    EXPECT_NE(run.err.find("outside the script's folder"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(work + "/out.zip")) << name;
    EXPECT_EQ(RunGma({"bundle", "--list", "demo.xml"}, work).status, 1) << name;
  }
  // Usage errors: no output named, or one too many.
  EXPECT_EQ(RunGma({"bundle", "demo.xml"}, work).status, 2);
  EXPECT_EQ(RunGma({"bundle", "--list", "demo.xml", "out.zip"}, work).status, 2);
}

}  // namespace
}  // namespace vexil::test

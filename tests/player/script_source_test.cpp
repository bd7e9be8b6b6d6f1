// Loading scripts: plain files, containers decoded in memory, and the messages for scripts
// that cannot be read, parsed or decoded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "container/container_cipher.h"
#include "scenecore.h"
#include "script_source.h"
#include "support/scratch_dir.h"

namespace vexil {
namespace {

class ScriptSourceTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
  CXmlHandler loader_;
  std::string error_;
};

const char kScript[] = "<demo name=\"tiny\"><settings/></demo>";

TEST_F(ScriptSourceTest, LoadsAPlainScript) {
  ASSERT_TRUE(LoadScript(Write("a.xml", kScript), &loader_, &error_)) << error_;
  ASSERT_NE(nullptr, loader_.GetRootElement());
  EXPECT_STREQ("tiny", loader_.GetRootElement()->Attribute("name"));
}

TEST_F(ScriptSourceTest, DecodesContainersWhateverTheCaseOfTheExtension) {
  for (const char* name : {"a.gma", "b.GMA", "c.Gma"}) {
    std::string bytes = kScript;
    ASSERT_TRUE(EncodeContainer(&bytes));
    ASSERT_TRUE(LoadScript(Write(name, bytes), &loader_, &error_)) << name << ": " << error_;
    EXPECT_STREQ("tiny", loader_.GetRootElement()->Attribute("name")) << name;
  }
  EXPECT_FALSE(std::filesystem::exists("zuraviklick")) << "nothing decoded is written";
}

TEST_F(ScriptSourceTest, EmptyAndRootlessFilesAreNotScripts) {
  EXPECT_FALSE(LoadScript(Write("empty.xml", ""), &loader_, &error_));
  EXPECT_FALSE(error_.empty());
  EXPECT_FALSE(LoadScript(Write("comment.xml", "<!-- nothing -->"), &loader_, &error_));
  EXPECT_FALSE(error_.empty());
}

TEST_F(ScriptSourceTest, AZeroByteMakesAFileNoScript) {
  EXPECT_FALSE(LoadScript(Write("nul.xml", std::string("<demo/>\0<x/>", 12)), &loader_, &error_));
  EXPECT_NE(std::string::npos, error_.find("not a text file")) << error_;
}

TEST_F(ScriptSourceTest, APlainScriptNamedGmaOrAForeignKeyIsRefused) {
  EXPECT_FALSE(LoadScript(Write("plain.gma", kScript), &loader_, &error_));
  EXPECT_NE(std::string::npos, error_.find("not a script container, or made with another key"))
      << error_;
  EXPECT_FALSE(LoadScript(Write("empty.gma", ""), &loader_, &error_));
  EXPECT_NE(std::string::npos, error_.find("not a script container")) << error_;
}

}  // namespace
}  // namespace vexil

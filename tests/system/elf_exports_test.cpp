// Telling a plug-in from its file alone: a real plug-in passes, a library without one of the
// exports says which, and damaged copies of a plug-in (cut short, bytes changed in its
// headers and tables) are answered without reading outside the file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "system/dynlib.h"

namespace {

const std::vector<std::string> kExports = {"GetName", "CreateInstance", "FreeInstance"};

std::string Plugin(const char* name) {
  return std::string(VEXIL_BIN_DIR) + "/lib" + name + ".so";
}

TEST(ElfExports, APlugInPassesAndALibraryWithoutAnExportSaysWhich) {
  std::string why;
  EXPECT_TRUE(vexil::sys::DynLibDefinesFunctions(Plugin("test_plugin_alpha"), kExports, &why))
      << why;
  EXPECT_FALSE(vexil::sys::DynLibDefinesFunctions(Plugin("test_plugin_noexport"), kExports, &why));
  EXPECT_EQ("it does not define FreeInstance", why);
  EXPECT_FALSE(
      vexil::sys::DynLibDefinesFunctions(Plugin("test_plugin_alpha"), {"Missing", "Gone"}, &why));
  EXPECT_EQ("it does not define Missing and Gone", why);
  EXPECT_FALSE(vexil::sys::DynLibDefinesFunctions(std::string(VEXIL_BIN_DIR) + "/nothing.so",
                                                  kExports, &why));
  EXPECT_EQ("file not found", why);
}

TEST(ElfExports, DamagedCopiesOfAPlugInAreAnsweredSafely) {
  const std::string original = vexil::test::ReadFile(Plugin("test_plugin_alpha"));
  ASSERT_GT(original.size(), 4096u);
  vexil::test::ScratchDir dir;
  const std::string path = dir.File("libdamaged.so");
  std::string why;
  // Cut short anywhere: the section headers are at the end of the file.
  for (size_t length :
       {size_t{0}, size_t{3}, size_t{63}, size_t{64}, original.size() / 2, original.size() - 1}) {
    ASSERT_TRUE(vexil::test::WriteFile(path, original.substr(0, length)));
    EXPECT_FALSE(vexil::sys::DynLibDefinesFunctions(path, kExports, &why)) << length;
    EXPECT_FALSE(why.empty());
  }
  // Every byte of the ELF header changed, and a spread of bytes through the rest: never a
  // crash or a read outside the file (the sanitizer builds would tell), whatever the answer.
  std::vector<size_t> positions;
  for (size_t at = 0; at < 64; ++at) positions.push_back(at);
  for (size_t at = 64; at < original.size(); at += original.size() / 997) positions.push_back(at);
  for (size_t at = original.size() - 2048; at < original.size(); at += 7) positions.push_back(at);
  ASSERT_TRUE(vexil::test::WriteFile(path, original));
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  auto put = [&file](size_t at, char byte) {
    file.seekp(static_cast<std::streamoff>(at));
    file.put(byte);
    file.flush();
  };
  for (size_t at : positions) {
    for (unsigned char flip : {0x01, 0x80, 0xFF}) {
      put(at, static_cast<char>(original[at] ^ flip));
      why.clear();
      if (!vexil::sys::DynLibDefinesFunctions(path, kExports, &why)) {
        EXPECT_FALSE(why.empty()) << "byte " << at;
      }
    }
    put(at, original[at]);
  }
}

}  // namespace

// The lookup of file names written on Windows, on a temporary tree: separators, letter case at
// every level, exact matches, ambiguous names, "..", absolute Windows paths, folders and pipes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "d3dx9/file_read.h"
#include "support/scratch_dir.h"
#include "system/dynlib.h"
#include "system/file_lookup.h"

namespace {

namespace fs = std::filesystem;
using vexil::sys::FileKind;
using vexil::sys::FileLookup;
using vexil::sys::LookUpFile;
using vexil::test::ScratchDir;
using vexil::test::WriteFile;

class FileLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    fs::create_directories(At("Demo/Gfx/Sub"));
    fs::create_directories(At("Demo/Song.ogg"));  // a folder with a file's name
    for (const char* file : {"Demo/Gfx/Tex.png", "Demo/Gfx/Sub/Deep.png", "Demo/Logo.png",
                             "Demo/logo.png", "Demo/T\xC3\xAAte.png"}) {
      ASSERT_TRUE(WriteFile(At(file), file));
    }
  }
  std::string At(const std::string& name) const { return dir_.File(name); }
  // `name` under the scratch folder, written with backslashes from there on.
  std::string Windows(const std::string& name) const { return dir_.path() + "\\" + name; }

  ScratchDir dir_;
};

TEST_F(FileLookupTest, BackslashesAndLetterCaseAtEveryLevel) {
  const FileLookup lookup = LookUpFile(Windows("dEMO\\gFX\\sUB\\dEEP.PNG"));
  EXPECT_EQ(At("Demo/Gfx/Sub/Deep.png"), lookup.path);
  EXPECT_EQ(FileKind::kRegular, lookup.kind);
  EXPECT_TRUE(lookup.loose);
  EXPECT_TRUE(lookup.ambiguous.empty());

  const FileLookup slashes = LookUpFile(Windows("Demo\\Gfx\\Tex.png"));
  EXPECT_EQ(At("Demo/Gfx/Tex.png"), slashes.path);
  EXPECT_FALSE(slashes.loose) << "separators alone are no guess";
  const vexil::sys::FileLookupReport report =
      vexil::sys::DescribeFileLookup("file \"x\"", slashes, "the script's folder");
  EXPECT_EQ("", report.problem);
  EXPECT_EQ("", report.note);
}

TEST_F(FileLookupTest, ARelativeNameMissingHereIsLookedForBesideTheScript) {
  const std::string beside = At("Demo") + "/";
  // The working folder is the scratch folder's parent world: "Gfx\tex.png" is not there.
  const FileLookup found = LookUpFile("Gfx\\tex.png", {}, beside);
  EXPECT_EQ(At("Demo/Gfx/Tex.png"), found.path);
  EXPECT_TRUE(found.inFallback);
  const vexil::sys::FileLookupReport report =
      vexil::sys::DescribeFileLookup("file \"Gfx\\tex.png\"", found, "the script's folder");
  EXPECT_EQ("", report.problem);
  EXPECT_NE(std::string::npos, report.note.find("is not in the working folder; the player uses \"" +
                                                At("Demo/Gfx/Tex.png") + "\", beside the script"))
      << report.note;

  const FileLookup missing = LookUpFile("Gfx/none.png", {}, beside);
  EXPECT_FALSE(missing.found());
  EXPECT_FALSE(missing.inFallback);
  EXPECT_EQ("Gfx/none.png", missing.path) << "a missing file keeps its name as written";

  // Where the working folder has the file, it comes first.
  const FileLookup here = LookUpFile(At("Demo/Logo.png"), {}, At("Demo/Gfx") + "/");
  EXPECT_FALSE(here.inFallback);
  EXPECT_EQ(At("Demo/Logo.png"), here.path);
  EXPECT_FALSE(LookUpFile("Gfx/Tex.png").found()) << "no fallback, no search beside the script";
}

TEST_F(FileLookupTest, AnExactMatchWinsAndCaseEqualNamesTakeTheFirstInByteOrder) {
  const FileLookup exact = LookUpFile(At("Demo/logo.png"));
  EXPECT_EQ(At("Demo/logo.png"), exact.path);
  EXPECT_FALSE(exact.loose);
  EXPECT_TRUE(exact.ambiguous.empty()) << "an exact name is not ambiguous";

  const FileLookup guessed = LookUpFile(At("demo/LOGO.PNG"));
  EXPECT_EQ(At("Demo/Logo.png"), guessed.path) << "'L' comes before 'l' in byte order";
  EXPECT_EQ((std::vector<std::string>{"Logo.png", "logo.png"}), guessed.ambiguous);
  EXPECT_EQ(At("Demo"), guessed.ambiguousFolder);
  const std::string problem =
      vexil::sys::DescribeFileLookup("file \"LOGO.PNG\"", guessed, "here").problem;
  EXPECT_NE(std::string::npos, problem.find("\"Logo.png\", \"logo.png\"")) << problem;
  EXPECT_NE(std::string::npos, problem.find("the first in byte order")) << problem;
}

TEST_F(FileLookupTest, AMissingMiddleFolderSaysWhichPartIsMissing) {
  const FileLookup lookup = LookUpFile(Windows("Demo\\Nope\\Tex.png"));
  EXPECT_FALSE(lookup.found());
  EXPECT_EQ(At("Demo/Nope/Tex.png"), lookup.path) << "the name with slashes, for messages";
  EXPECT_EQ("no folder \"Nope\" in \"" + At("Demo") + "\"", lookup.whyMissing);
  EXPECT_FALSE(LookUpFile(Windows("demo\\gfx\\tex.png\\more")).found()) << "a file is no folder";
  EXPECT_FALSE(LookUpFile("").found());
  EXPECT_FALSE(LookUpFile(std::string(5000, 'a')).found());
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "Demo\\..\\";
  EXPECT_FALSE(LookUpFile(Windows(deep + "Demo\\Logo.png")).found())
      << "a name of too many parts is not searched";
}

TEST_F(FileLookupTest, DotDotWithBackslashes) {
  EXPECT_EQ(At("Demo/Gfx/../../Demo/Gfx/Tex.png"),
            LookUpFile(Windows("demo\\gfx\\..\\..\\DEMO\\GFX\\TEX.PNG")).path);
  const fs::path old = fs::current_path();
  fs::current_path(At("Demo/Gfx/Sub"));
  const FileLookup relative = LookUpFile("..\\..\\LOGO.png");
  fs::current_path(old);
  EXPECT_EQ("../../Logo.png", relative.path);
  EXPECT_EQ(FileKind::kRegular, relative.kind);
}

TEST_F(FileLookupTest, AnAbsoluteWindowsPathIsLookedForUnderTheHomes) {
  const std::vector<std::string> homes = {At("Elsewhere/"), At("Demo/")};
  const FileLookup drive = LookUpFile("C:\\Work\\Demo\\GFX\\TEX.PNG", homes);
  EXPECT_TRUE(drive.windowsPath);
  EXPECT_EQ(At("Demo/Gfx/Tex.png"), drive.path) << "the longest tail that exists: GFX\\TEX.PNG";
  const std::string problem =
      vexil::sys::DescribeFileLookup("file \"C:\\...\"", drive, "the script's folder").problem;
  EXPECT_NE(std::string::npos, problem.find("absolute Windows path")) << problem;
  EXPECT_NE(std::string::npos, problem.find("uses \"" + At("Demo/Gfx/Tex.png") + "\"")) << problem;

  EXPECT_EQ(At("Demo/Logo.png"), LookUpFile("d:LOGO.PNG", homes).path) << "drive-relative";
  EXPECT_EQ(At("Demo/Gfx/Sub/Deep.png"),
            LookUpFile("\\\\server\\share\\gfx\\sub\\deep.png", homes).path);
  EXPECT_EQ(At("Demo/Gfx/Tex.png"), LookUpFile("\\Art\\..\\Gfx\\Tex.png", homes).path);

  const FileLookup missing = LookUpFile("C:\\Work\\Tex.png", homes);
  EXPECT_TRUE(missing.windowsPath);
  EXPECT_FALSE(missing.found()) << "Tex.png lies in Gfx, not in either home";
  EXPECT_NE(std::string::npos, vexil::sys::DescribeFileLookup("file \"C:\\Work\\Tex.png\"", missing,
                                                              "the script's folder")
                                   .problem.find("no file of that name is in the script's folder"));
  EXPECT_FALSE(LookUpFile("C:\\Work\\Demo\\Logo.png").found()) << "no homes, nowhere to look";

  ScratchDir here(ScratchDir::kEnter);
  ASSERT_TRUE(WriteFile("C:\\odd.png", "a Linux file with that very name"));
  const FileLookup literal = LookUpFile("C:\\odd.png", homes);
  EXPECT_EQ("C:\\odd.png", literal.path) << "the exact name comes first";
  EXPECT_FALSE(literal.windowsPath);
}

TEST_F(FileLookupTest, FoldersAndPipesAreFoundButNeverReadAsFiles) {
  const FileLookup folder = LookUpFile(Windows("demo\\SONG.OGG"));
  EXPECT_EQ(At("Demo/Song.ogg"), folder.path);
  EXPECT_EQ(FileKind::kFolder, folder.kind);
  EXPECT_EQ("file \"SONG.OGG\" is a folder, not a file",
            vexil::sys::DescribeFileLookup("file \"SONG.OGG\"", folder, "").problem);

  ASSERT_EQ(0, ::mkfifo(At("Demo/Pipe.wav").c_str(), 0600));
  const FileLookup pipe = LookUpFile(Windows("DEMO\\pipe.WAV"));
  EXPECT_EQ(FileKind::kOther, pipe.kind);
  std::vector<unsigned char> bytes;
  std::string error;
  // A reader would wait for ever on a pipe without a writer: this must come back at once.
  EXPECT_EQ(d3dx::FileReadResult::kRefused,
            d3dx::ReadRegularFile(pipe.path, 1 << 20, &bytes, &error));
  EXPECT_NE(std::string::npos, error.find("named pipe")) << error;
  EXPECT_EQ(d3dx::FileReadResult::kRefused,
            d3dx::ReadRegularFile(folder.path, 1 << 20, &bytes, &error));
}

TEST_F(FileLookupTest, Windows1252NamesFindTheirUtf8Files) {
  // "TÊTE.PNG" written in Windows-1252 (Ê is CA hex) and in UTF-8.
  EXPECT_EQ(At("Demo/T\xC3\xAAte.png"), LookUpFile(Windows("demo\\T\xCATE.PNG")).path);
  EXPECT_EQ(At("Demo/T\xC3\xAAte.png"), LookUpFile(Windows("demo\\T\xC3\x8ATE.PNG")).path);
  EXPECT_FALSE(LookUpFile(Windows("demo\\TETE.PNG")).found()) << "accents are not dropped";
}

TEST_F(FileLookupTest, LibrariesInAnyCaseTakeTheSameStablePick) {
  ASSERT_TRUE(WriteFile(At("libFx.so"), "one"));
  ASSERT_TRUE(WriteFile(At("libfx.so"), "two"));
  EXPECT_EQ(At("libfx.so"), vexil::sys::DynLibFindIgnoringCase(dir_.path(), "libfx.so"));
  EXPECT_EQ(At("libFx.so"), vexil::sys::DynLibFindIgnoringCase(dir_.path(), "LIBFX.SO"));
  EXPECT_EQ("", vexil::sys::DynLibFindIgnoringCase(dir_.path(), "Demo"))
      << "a folder is no library";
}

}  // namespace

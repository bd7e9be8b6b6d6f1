// Bundles: every kind of hostile archive is refused with a message that says why, before a
// byte of it is used, and nothing is written anywhere; a good bundle plays frame for frame
// like the loose folder it was made from.
#include "system/bundle.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "system/regular_file.h"

namespace vexil::test {
namespace {

namespace fs = std::filesystem;

struct Entry {
  std::string name;
  std::string bytes;
  bool symlink = false;
};

// Writes `entries` (deflated) as the zip `path`.
bool WriteZip(const std::string& path, const std::vector<Entry>& entries) {
  int code = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) return false;
  for (const Entry& entry : entries) {
    zip_source_t* source = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      zip_discard(archive);
      return false;
    }
    if (entry.symlink) {
      zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX,
                                       static_cast<zip_uint32_t>(S_IFLNK | 0777) << 16);
    }
  }
  return zip_close(archive) == 0;
}

const char kScript[] =
    "<demo name=\"bundled\"><settings><width value=\"64\"/><height value=\"48\"/>"
    "<setupdialog value=\"0\"/></settings><timeline>"
    "<clear type=\"clearscreen\" start=\"0\" end=\"100\" layer=\"1\">"
    "<param name=\"color\" type=\"color\" value=\"#FF204060\"/></clear></timeline></demo>";

// Opening `entries` as a bundle fails with a message holding `why`.
void ExpectRefused(const std::vector<Entry>& entries, const std::string& why,
                   const sys::BundleLimits& limits = {}) {
  ScratchDir folder;
  ASSERT_TRUE(WriteZip(folder.File("demo.zip"), entries));
  std::string error;
  EXPECT_EQ(sys::Bundle::Open(folder.File("demo.zip"), &error, limits), nullptr);
  EXPECT_NE(error.find(why), std::string::npos) << error;
}

TEST(BundleRefuses, NamesThatLeaveTheBundle) {
  ExpectRefused({{"demo.xml", kScript}, {"../evil.txt", "x"}}, "climbs out of the bundle");
  ExpectRefused({{"demo.xml", kScript}, {"gfx/../../evil.txt", "x"}}, "climbs out of the bundle");
  ExpectRefused({{"demo.xml", kScript}, {"/tmp/evil.txt", "x"}}, "absolute name");
  ExpectRefused({{"demo.xml", kScript}, {"C:evil.txt", "x"}}, "names a drive");
  ExpectRefused({{"demo.xml", kScript}, {"gfx\\..\\..\\evil.txt", "x"}}, "backslash");
}

TEST(BundleRefuses, SymbolicLinks) {
  ExpectRefused({{"demo.xml", kScript}, {"music.ogg", "/etc/passwd", true}}, "symbolic link");
}

TEST(BundleRefuses, NamesThatAreEqualWithoutRegardToCase) {
  ExpectRefused({{"demo.xml", kScript}, {"logo.png", "a"}, {"LOGO.png", "b"}}, "two entries");
}

// libzip will not write two entries of one name: the second name is patched in afterwards,
// in its local header and in the central directory.
TEST(BundleRefuses, DuplicateNames) {
  ScratchDir folder;
  ASSERT_TRUE(WriteZip(folder.File("demo.zip"),
                       {{"demo.xml", kScript}, {"logo.png", "a"}, {"logX.png", "b"}}));
  std::string bytes = ReadFile(folder.File("demo.zip"));
  for (size_t at; (at = bytes.find("logX.png")) != std::string::npos;) bytes[at + 3] = 'o';
  ASSERT_TRUE(WriteFile(folder.File("demo.zip"), bytes));
  std::string error;
  EXPECT_EQ(sys::Bundle::Open(folder.File("demo.zip"), &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_NE(error.find("demo.zip"), std::string::npos) << error;
}

TEST(BundleRefuses, AZipBomb) {
  // 64 MiB of zeros pack into some 64 KiB.
  ExpectRefused({{"demo.xml", kScript}, {"music.ogg", std::string(64u << 20, '\0')}}, "zip bomb");
}

TEST(BundleRefuses, EntriesAndTotalsPastTheLimits) {
  sys::BundleLimits limits;
  limits.maxEntryBytes = 1000;
  ExpectRefused({{"demo.xml", kScript}, {"big.raw", std::string(1001, 'x')}},
                "more than the limit of 1000", limits);
  limits = {};
  limits.maxTotalBytes = 1500;
  ExpectRefused(
      {{"demo.xml", kScript}, {"a.raw", std::string(1000, 'x')}, {"b.raw", std::string(1000, 'y')}},
      "unpack to more than 1500 bytes", limits);
}

TEST(BundleRefuses, AHundredThousandEntries) {
  std::vector<Entry> entries{{"demo.xml", kScript}};
  for (int i = 0; i < 100000; ++i) entries.push_back({"f/" + std::to_string(i), ""});
  ExpectRefused(entries, "100001 entries");
}

TEST(BundleRefuses, ATruncatedArchive) {
  ScratchDir folder;
  ASSERT_TRUE(WriteZip(folder.File("demo.zip"), {{"demo.xml", kScript}, {"a.raw", "abc"}}));
  const std::string bytes = ReadFile(folder.File("demo.zip"));
  ASSERT_TRUE(WriteFile(folder.File("demo.zip"), bytes.substr(0, bytes.size() / 2)));
  std::string error;
  EXPECT_EQ(sys::Bundle::Open(folder.File("demo.zip"), &error), nullptr);
  EXPECT_NE(error.find("is not a readable zip archive"), std::string::npos) << error;
}

TEST(BundleReads, EntriesThroughTheGuardedOpenWhileMounted) {
  ScratchDir folder;
  ASSERT_TRUE(
      WriteZip(folder.File("demo.zip"), {{"demo.xml", kScript}, {"gfx/Logo.png", "picture"}}));
  std::string error;
  ASSERT_TRUE(sys::MountBundle(folder.File("demo.zip"), &error)) << error;
  uint64_t size = 0;
  bool notFound = false;
  // Written the Windows way: backslash and another letter case.
  const int fd = sys::OpenRegularFile("GFX\\logo.png", 100, &size, &error, &notFound);
  ASSERT_GE(fd, 0) << error;
  char bytes[16] = {};
  EXPECT_EQ(read(fd, bytes, sizeof bytes), 7);
  EXPECT_STREQ(bytes, "picture");
  close(fd);
  // The same limit as for a loose file.
  EXPECT_LT(sys::OpenRegularFile("gfx/logo.png", 3, &size, &error, &notFound), 0);
  EXPECT_NE(error.find("larger than the limit"), std::string::npos) << error;
  EXPECT_EQ(sys::MountedBundle()->TopScript(&error), "demo.xml");
  sys::UnmountBundle();
  EXPECT_LT(sys::OpenRegularFile("gfx/logo.png", 100, &size, &error, &notFound), 0);
  EXPECT_TRUE(notFound);
}

// The player on a hostile bundle: exit status 1, the reason on stderr, and the folder it ran
// in and the one above it untouched.
TEST(BundlePlayer, RefusesAHostileBundleAndWritesNothing) {
  ScratchDir outer;
  const std::string work = outer.File("work");
  fs::create_directory(work);
  ASSERT_TRUE(WriteZip(work + "/demo.zip", {{"demo.xml", kScript}, {"../evil.txt", "x"}}));
  const RunResult run = RunPlayer({"--capture", "frames", "demo.zip"}, work);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("climbs out of the bundle"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(outer.File("evil.txt")));
  EXPECT_FALSE(fs::exists(work + "/frames/frame-000000.png"));
}

TEST(BundlePlayer, BundledDemoRendersLikeItsFolder) {
  ScratchDir work;
  RunLimits limits;
  limits.seconds = 300;
  const std::vector<std::string> span = {"--fps", "4", "--from", "31000", "--to", "32000"};
  std::vector<std::string> bundled = {"--hashes", work.File("bundle.txt")};
  bundled.insert(bundled.end(), span.begin(), span.end());
  bundled.push_back(std::string(VEXIL_DEMO_DIR) + "/demo.zip");
  const RunResult fromBundle = RunPlayer(bundled, work.path(), limits);
  ASSERT_EQ(fromBundle.status, 0) << fromBundle.err;

  ScratchDir loose;
  ASSERT_TRUE(loose.LinkFilesFrom(VEXIL_DEMO_DIR));
  std::vector<std::string> folder = {"--hashes", work.File("folder.txt")};
  folder.insert(folder.end(), span.begin(), span.end());
  folder.push_back("demo.gma");
  const RunResult fromFolder = RunPlayer(folder, loose.path(), limits);
  ASSERT_EQ(fromFolder.status, 0) << fromFolder.err;
  const std::string hashes = ReadFile(work.File("bundle.txt"));
  EXPECT_FALSE(hashes.empty());
  EXPECT_EQ(hashes, ReadFile(work.File("folder.txt")));

  const RunResult check =
      RunPlayer({"--check", std::string(VEXIL_DEMO_DIR) + "/demo.zip"}, work.path());
  EXPECT_EQ(check.status, 0) << check.out << check.err;
}

}  // namespace
}  // namespace vexil::test

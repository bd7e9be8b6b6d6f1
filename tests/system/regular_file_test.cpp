// Reading a file a demo brings: the whole of a regular file, and a clear refusal for what is
// missing, too large, or not a regular file, without ever blocking on a named pipe.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "support/scratch_dir.h"
#include "system/regular_file.h"

namespace {

using vexil::sys::ReadRegularFile;
using vexil::test::ScratchDir;

TEST(ReadRegularFileTest, ReadsTheWholeFileAndRefusesWhatItMustNotRead) {
  ScratchDir dir;
  std::string bytes, error;
  bool notFound = true;

  const std::string content(70000, '\x7f');  // more than one read may return
  ASSERT_TRUE(vexil::test::WriteFile(dir.File("track.txt"), content));
  EXPECT_TRUE(ReadRegularFile(dir.File("track.txt"), 1 << 20, &bytes, &error, &notFound));
  EXPECT_EQ(content, bytes);
  EXPECT_FALSE(notFound);

  ASSERT_TRUE(vexil::test::WriteFile(dir.File("empty.txt"), ""));
  EXPECT_TRUE(ReadRegularFile(dir.File("empty.txt"), 16, &bytes, &error, &notFound));
  EXPECT_EQ("", bytes);

  EXPECT_FALSE(ReadRegularFile(dir.File("track.txt"), 1000, &bytes, &error, &notFound));
  EXPECT_NE(std::string::npos, error.find("larger than the limit of 1000 bytes")) << error;
  EXPECT_FALSE(notFound);

  EXPECT_FALSE(ReadRegularFile(dir.File("gone.txt"), 1000, &bytes, &error, &notFound));
  EXPECT_TRUE(notFound);

  // A pipe nobody writes to: refused at once, not waited on.
  ASSERT_EQ(0, mkfifo(dir.File("pipe").c_str(), 0600));
  EXPECT_FALSE(ReadRegularFile(dir.File("pipe"), 1000, &bytes, &error, &notFound));
  EXPECT_NE(std::string::npos, error.find("named pipe")) << error;
  EXPECT_FALSE(notFound);

  EXPECT_FALSE(ReadRegularFile(dir.path(), 1000, &bytes, &error, &notFound));
  EXPECT_NE(std::string::npos, error.find("folder")) << error;
}

}  // namespace

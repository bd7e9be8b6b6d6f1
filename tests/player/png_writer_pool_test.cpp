// The capture's PNG writers: every queued frame arrives as a PNG, and a frame that cannot
// be written is reported by its path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "png_writer.h"
#include "png_writer_pool.h"
#include "support/scratch_dir.h"

namespace vexil {
namespace {

class PngWriterPoolTest : public ::testing::Test {
 protected:
  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
};

std::string Head(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string head(8, '\0');
  file.read(head.data(), 8);
  return head;
}

TEST_F(PngWriterPoolTest, WritesEveryQueuedFrame) {
  PngWriterPool pool(3, 2);
  for (int i = 0; i < 20; ++i) {
    std::vector<uint8_t> rgb(16 * 8 * 3, static_cast<uint8_t>(i * 10));
    ASSERT_TRUE(pool.Submit(dir_ + "/f" + std::to_string(i) + ".png", 16, 8, std::move(rgb)));
  }
  std::string error;
  ASSERT_TRUE(pool.Finish(&error)) << error;
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ("\x89PNG\r\n\x1a\n", Head(dir_ + "/f" + std::to_string(i) + ".png")) << i;
  }
}

TEST_F(PngWriterPoolTest, AFrameThatCannotBeWrittenIsNamedAndNotCounted) {
  PngWriterPool pool(1, 1);
  ASSERT_TRUE(pool.Submit(dir_ + "/good.png", 4, 4, std::vector<uint8_t>(4 * 4 * 3)));
  const std::string blocked = dir_ + "/no-such-folder/f.png";
  ASSERT_TRUE(pool.Submit(blocked, 4, 4, std::vector<uint8_t>(4 * 4 * 3)));
  std::string error;
  EXPECT_FALSE(pool.Finish(&error));
  EXPECT_NE(std::string::npos, error.find(blocked)) << error;
  EXPECT_NE(std::string::npos, error.find("No such file or directory")) << error;
  EXPECT_EQ(1, pool.Written()) << "only the frame that reached its file counts";
  EXPECT_FALSE(pool.Submit(dir_ + "/later.png", 4, 4, std::vector<uint8_t>(4 * 4 * 3)))
      << "nothing is queued after a failure";
}

}  // namespace
}  // namespace vexil

namespace vexil {
namespace {

TEST_F(PngWriterPoolTest, AWriteThatFailsSaysWhyAndLeavesADeviceAlone) {
  // /dev/full accepts the open and fails every write, as a full disk does.
  std::string why;
  EXPECT_FALSE(WritePngRgb("/dev/full", 64, 64, std::vector<uint8_t>(64 * 64 * 3, 7).data(), &why));
  EXPECT_NE(std::string::npos, why.find("No space left on device")) << why;
  struct stat info {};
  ASSERT_EQ(0, stat("/dev/full", &info));
  EXPECT_TRUE(S_ISCHR(info.st_mode)) << "a device the write failed on is left alone";
}

}  // namespace
}  // namespace vexil

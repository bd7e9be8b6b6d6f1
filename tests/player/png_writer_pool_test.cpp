// The capture's PNG writers: every queued frame arrives as a PNG, and a frame that cannot
// be written is reported by its path.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "capture/png_writer.h"
#include "capture/png_writer_pool.h"
#include "support/picture.h"
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

namespace vexil {
namespace {

// Top-down RGB bytes of a picture with smooth runs, hard edges and noise, so every row filter
// and deflate path is taken.
std::vector<uint8_t> TestPixels(int width, int height, unsigned seed) {
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<uint8_t>(x * 7 + y);
      p[1] = static_cast<uint8_t>(x < width / 2 ? 200 : 10);
      p[2] = static_cast<uint8_t>(seed >> 24);
    }
  }
  return rgb;
}

std::string Bytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST_F(PngWriterPoolTest, APictureReadsBackAsWrittenWhateverItsSizeAndOrder) {
  // One thread writes a large picture and then smaller ones: what it keeps between frames must
  // never show through in a later one.
  const struct { int width, height; } sizes[] = {{301, 97}, {37, 23}, {1, 1}, {2, 5}, {300, 96}};
  unsigned seed = 1;
  for (const auto& size : sizes) {
    const std::vector<uint8_t> rgb = TestPixels(size.width, size.height, seed++);
    const std::string path = dir_ + "/p.png";
    std::string why;
    ASSERT_TRUE(WritePngRgb(path, size.width, size.height, rgb.data(), &why)) << why;
    const test::Picture picture = test::LoadPng(path);
    ASSERT_EQ(size.width, picture.width);
    ASSERT_EQ(size.height, picture.height);
    int wrong = 0;
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * size.width + x) * 3];
        const test::Rgba c = picture.At(x, y);
        if (c.r != p[0] || c.g != p[1] || c.b != p[2] || c.a != 255) ++wrong;
      }
    }
    EXPECT_EQ(0, wrong) << size.width << " x " << size.height << " pixels that differ";
  }
}

TEST_F(PngWriterPoolTest, TheSamePixelsGiveTheSameFileOnEveryThread) {
  const std::vector<uint8_t> rgb = TestPixels(160, 120, 7);
  ASSERT_TRUE(WritePngRgb(dir_ + "/first.png", 160, 120, rgb.data()));
  PngWriterPool pool(2, 2);
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(pool.Submit(dir_ + "/again" + std::to_string(i) + ".png", 160, 120,
                            std::vector<uint8_t>(rgb)));
  }
  std::string error;
  ASSERT_TRUE(pool.Finish(&error)) << error;
  const std::string first = Bytes(dir_ + "/first.png");
  ASSERT_FALSE(first.empty());
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(first == Bytes(dir_ + "/again" + std::to_string(i) + ".png")) << i;
  }
}

}  // namespace
}  // namespace vexil

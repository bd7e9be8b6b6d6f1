// The writer every output goes through, on a temporary tree: new and existing files, symlinks,
// named pipes with and without a reader, a character device node, folders and sockets, planted
// temporary names, abandoned writes, and the render lock.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/scratch_dir.h"
#include "system/output_file.h"

namespace {

namespace fs = std::filesystem;
using vexil::sys::OutputFile;
using vexil::sys::OutputLock;
using vexil::sys::WriteWholeFile;
using vexil::test::ReadFile;
using vexil::test::ScratchDir;
using vexil::test::WriteFile;

size_t EntryCount(const std::string& dir) {
  size_t n = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    (void)entry;
    ++n;
  }
  return n;
}

TEST(OutputFileTest, NewAndExistingFilesAreReplacedWhole) {
  ScratchDir dir;
  const std::string path = dir.File("out.txt");
  std::string error;
  ASSERT_TRUE(WriteWholeFile(path, "first", 5, &error)) << error;
  EXPECT_EQ(ReadFile(path), "first");
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  struct stat first {};
  ASSERT_EQ(::stat(path.c_str(), &first), 0);
  ASSERT_TRUE(WriteWholeFile(path, "second", 6, &error)) << error;
  EXPECT_EQ(ReadFile(path), "second");
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, first.st_ino) << "a new file is renamed into place";
  EXPECT_EQ(after.st_mode & 0777, 0640u) << "the replaced file's permissions are kept";
  EXPECT_EQ(EntryCount(dir.path()), 1u) << "no temporary is left";
}

TEST(OutputFileTest, NewFileTakesItsModeFromTheUmask) {
  ScratchDir dir;
  const mode_t old = ::umask(022);
  std::string error;
  const bool ok = WriteWholeFile(dir.File("new.bin"), "x", 1, &error);
  ::umask(old);
  ASSERT_TRUE(ok) << error;
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("new.bin").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(OutputFileTest, AbandonedWriteLeavesTheTargetAsItWas) {
  ScratchDir dir;
  const std::string path = dir.File("keep.txt");
  ASSERT_TRUE(WriteFile(path, "old"));
  {
    OutputFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, &error)) << error;
    ASSERT_TRUE(file.Write("half", 4, &error));
    EXPECT_EQ(EntryCount(dir.path()), 2u);
    // Destroyed without Commit, as a failed or interrupted render does.
  }
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(OutputFileTest, SymlinkIsFollowedAndItsTargetUpdated) {
  ScratchDir dir;
  fs::create_directories(dir.File("real"));
  ASSERT_TRUE(WriteFile(dir.File("real/target.txt"), "old"));
  fs::create_symlink("real/target.txt", dir.File("link.txt"));
  // A dangling link names the file to make.
  fs::create_symlink("real/new.txt", dir.File("dangling.txt"));
  std::string error;
  ASSERT_TRUE(WriteWholeFile(dir.File("link.txt"), "new", 3, &error)) << error;
  ASSERT_TRUE(WriteWholeFile(dir.File("dangling.txt"), "made", 4, &error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
  EXPECT_EQ(ReadFile(dir.File("real/target.txt")), "new");
  EXPECT_EQ(ReadFile(dir.File("real/new.txt")), "made");
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.txt")));

  fs::create_symlink("loop-b", dir.File("loop-a"));
  fs::create_symlink("loop-a", dir.File("loop-b"));
  EXPECT_FALSE(WriteWholeFile(dir.File("loop-a"), "x", 1, &error));
  EXPECT_NE(error.find("loop"), std::string::npos) << error;
}

TEST(OutputFileTest, PlantedPartialNamesRedirectNothing) {
  // The names earlier versions wrote through: a link planted there must not be written through.
  ScratchDir dir;
  ASSERT_TRUE(WriteFile(dir.File("victim"), "untouched"));
  fs::create_symlink(dir.File("victim"), dir.File("out.txt.partial"));
  ASSERT_EQ(::mkfifo(dir.File("out.txt.vexil-gma-tmp").c_str(), 0600), 0);
  std::string error;
  ASSERT_TRUE(WriteWholeFile(dir.File("out.txt"), "data", 4, &error)) << error;
  EXPECT_EQ(ReadFile(dir.File("out.txt")), "data");
  EXPECT_EQ(ReadFile(dir.File("victim")), "untouched");
}

TEST(OutputFileTest, NamedPipeIsWrittenDirectlyAndNeverBlocks) {
  ScratchDir dir;
  const std::string fifo = dir.File("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string error;
  // No reader: refused at once instead of waiting for one.
  OutputFile lonely;
  EXPECT_FALSE(lonely.Open(fifo, &error));
  EXPECT_NE(error.find("named pipe"), std::string::npos) << error;

  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(WriteWholeFile(fifo, "through", 7, &error)) << error;
  char got[16] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 7);
  EXPECT_STREQ(got, "through");
  ::close(reader);
  struct stat info {};
  ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe is still a pipe";
  EXPECT_EQ(EntryCount(dir.path()), 1u);
}

TEST(OutputFileTest, LinksOnlyTheKernelCanFollowReachTheirPipe) {
  // As /dev/stdout does: a link to /proc/self/fd/N, whose own link names "pipe:[...]".
  ScratchDir dir;
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const std::string link = dir.File("stdout");
  fs::create_symlink("/proc/self/fd/" + std::to_string(ends[1]), link);
  std::string error;
  OutputLock lock;
  EXPECT_TRUE(lock.Acquire(link, false, &error)) << error;
  EXPECT_TRUE(WriteWholeFile(link, "piped", 5, &error)) << error;
  char got[8] = {};
  EXPECT_EQ(::read(ends[0], got, sizeof got), 5);
  EXPECT_STREQ(got, "piped");
  ::close(ends[0]);
  ::close(ends[1]);
}

TEST(OutputFileTest, CharacterDeviceIsWrittenInPlaceNeverReplaced) {
  ScratchDir dir;
  const std::string node = dir.File("null");
  // The null device's numbers, as a node of our own: only root may make it.
  if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
  }
  std::string error;
  if (!WriteWholeFile(node, "gone", 4, &error)) {
    // A file system mounted nodev refuses to open device nodes; the node must stay one anyway.
    EXPECT_FALSE(error.empty());
  }
  struct stat info {};
  ASSERT_EQ(::lstat(node.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device node was replaced by a file";
  fs::create_symlink("null", dir.File("link"));
  WriteWholeFile(dir.File("link"), "gone", 4, &error);
  ASSERT_EQ(::lstat(node.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  EXPECT_EQ(EntryCount(dir.path()), 2u);
}

TEST(OutputFileTest, FoldersSocketsAndBlockDevicesAreRefused) {
  ScratchDir dir;
  fs::create_directories(dir.File("folder"));
  std::string error;
  EXPECT_FALSE(WriteWholeFile(dir.File("folder"), "x", 1, &error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;

  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(sock, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socket_path = dir.File("sock");
  if (socket_path.size() < sizeof address.sun_path) {
    std::strcpy(address.sun_path, socket_path.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(WriteWholeFile(socket_path, "x", 1, &error));
    EXPECT_NE(error.find("socket"), std::string::npos) << error;
  }
  ::close(sock);
  if (::mknod(dir.File("block").c_str(), S_IFBLK | 0600, makedev(7, 200)) == 0) {
    EXPECT_FALSE(WriteWholeFile(dir.File("block"), "x", 1, &error));
    EXPECT_NE(error.find("block device"), std::string::npos) << error;
  }
}

TEST(OutputLockTest, SecondRenderIntoTheSamePlaceIsRefusedWithTheHolder) {
  ScratchDir dir;
  std::string error;
  {
    OutputLock first;
    ASSERT_TRUE(first.Acquire(dir.path(), true, &error)) << error;
    OutputLock second;
    EXPECT_FALSE(second.Acquire(dir.path(), true, &error));
    EXPECT_NE(error.find("pid " + std::to_string(::getpid())), std::string::npos) << error;

    OutputLock file_first;
    ASSERT_TRUE(file_first.Acquire(dir.File("video.mkv"), false, &error)) << error;
    OutputLock file_second;
    EXPECT_FALSE(file_second.Acquire(dir.File("video.mkv"), false, &error));
    OutputLock other_file;
    EXPECT_TRUE(other_file.Acquire(dir.File("other.mkv"), false, &error)) << error;
  }
  // Released: the lock files are gone and the place is free again.
  EXPECT_EQ(EntryCount(dir.path()), 0u);
  OutputLock again;
  EXPECT_TRUE(again.Acquire(dir.path(), true, &error)) << error;
}

}  // namespace

// Bounded, non-blocking whole-file reads for the loaders of untrusted demo files.
#include "d3dx9/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace d3dx {
namespace {

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a plain file";
}

}  // namespace

int OpenRegularFile(const std::string& path, uint64_t maxBytes, uint64_t* size, std::string* error,
                    bool* notFound) {
  *notFound = false;
  // O_NONBLOCK: opening a FIFO that nobody writes to would otherwise wait for ever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int e = errno;
    *notFound = e == ENOENT || e == ENOTDIR;
    if (error) *error = *notFound ? "file not found" : std::string("cannot open: ") + strerror(e);
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    if (error) *error = std::string("cannot examine: ") + strerror(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    if (error) *error = std::string("not a regular file (") + KindOf(st.st_mode) + ")";
    ::close(fd);
    return -1;
  }
  const uint64_t bytes = static_cast<uint64_t>(st.st_size);
  if (bytes > maxBytes) {
    if (error)
      *error = "file of " + std::to_string(bytes) + " bytes is larger than the limit of " +
               std::to_string(maxBytes) + " bytes";
    ::close(fd);
    return -1;
  }
  // Regular files never block; clear the flag so reads behave normally.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  *size = bytes;
  return fd;
}

FileReadResult ReadRegularFile(const std::string& path, uint64_t maxBytes,
                               const std::function<unsigned char*(size_t)>& allocate, size_t* got,
                               std::string* error) {
  *got = 0;
  uint64_t size = 0;
  bool notFound = false;
  const int fd = OpenRegularFile(path, maxBytes, &size, error, &notFound);
  if (fd < 0) return notFound ? FileReadResult::kNotFound : FileReadResult::kRefused;
  unsigned char* buffer = allocate(static_cast<size_t>(size));
  if (!buffer) {
    ::close(fd);
    if (error) *error = "out of memory for " + std::to_string(size) + " bytes";
    return FileReadResult::kRefused;
  }
  // Read what fstat promised and no more: a file that grows meanwhile is cut at that size.
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd, buffer + done, static_cast<size_t>(size) - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (error) *error = std::string("cannot read: ") + strerror(errno);
      ::close(fd);
      return FileReadResult::kRefused;
    }
    if (n == 0) break;  // shrank while reading
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  *got = done;
  return FileReadResult::kOk;
}

FileReadResult ReadRegularFile(const std::string& path, uint64_t maxBytes,
                               std::vector<unsigned char>* out, std::string* error) {
  out->clear();
  size_t got = 0;
  const FileReadResult result = ReadRegularFile(
      path, maxBytes,
      [out](size_t size) -> unsigned char* {
        try {
          out->resize(size);
        } catch (const std::bad_alloc&) {
          return nullptr;
        }
        static unsigned char nothing;  // an empty file needs no room, but is no failure
        return size > 0 ? out->data() : &nothing;
      },
      &got, error);
  out->resize(result == FileReadResult::kOk ? got : 0);
  return result;
}

}  // namespace d3dx

// Non-blocking open of regular files for the loaders of untrusted demo files.
#include "system/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "system/bundle.h"

namespace vexil {
namespace sys {
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
  // A relative name the mounted demo bundle holds is read from the archive (bundle.h).
  if (const std::shared_ptr<const Bundle> bundle = MountedBundle();
      bundle && !path.empty() && path[0] != '/') {
    const std::string entry = bundle->Find(path);
    std::string ignored;
    if (!entry.empty()) return bundle->OpenEntry(entry, maxBytes, size, error ? error : &ignored);
  }
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

bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string* bytes,
                     std::string* error, bool* notFound) {
  uint64_t size = 0;
  const int fd = OpenRegularFile(path, maxBytes, &size, error, notFound);
  if (fd < 0) return false;
  bytes->assign(static_cast<size_t>(size), '\0');
  size_t done = 0;
  while (done < bytes->size()) {
    const ssize_t got = ::read(fd, &(*bytes)[done], bytes->size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      if (error) *error = std::string("cannot read: ") + strerror(errno);
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  // One byte more than the size it had when opened says it grew: either way it changed.
  char extra;
  const bool grew = done == bytes->size() && ::read(fd, &extra, 1) > 0;
  ::close(fd);
  if (done != bytes->size() || grew) {
    if (error) *error = "changed while it was read";
    bytes->clear();
    return false;
  }
  return true;
}

}  // namespace sys
}  // namespace vexil

// Bounded, non-blocking whole-file reads for the loaders of untrusted demo files.
#include "d3dx9/file_read.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "system/regular_file.h"

namespace d3dx {

int OpenRegularFile(const std::string& path, uint64_t maxBytes, uint64_t* size, std::string* error,
                    bool* notFound) {
  return vexil::sys::OpenRegularFile(path, maxBytes, size, error, notFound);
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

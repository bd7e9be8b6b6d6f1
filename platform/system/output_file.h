// The one way vexil writes a file: frames, audio, videos, manifests, containers, logs.
//
// A new path or a regular file is written to a temporary file made beside it under a name no one
// can guess (created exclusively, never through a symlink, with the mode the umask gives) and
// renamed over the target only when complete, so a reader never sees half a file and a planted
// link never redirects the write. A symlink is followed and its target updated the same way. A
// character device or a named pipe (a pipe to another program, /dev/null) is written directly,
// opened without blocking, and never replaced by a file. A directory, a socket or anything else
// is refused with a message.
#pragma once

#include <cstddef>
#include <string>

namespace vexil {
namespace sys {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // an output never committed is abandoned: its temporary is removed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens `path` for writing. `sync` flushes a replaced file to the disk before it is renamed
  // into place (worth it for a manifest or a container, not for each of ten thousand frames).
  // False with `error` set ("a folder", "a named pipe no program reads", ...).
  bool Open(const std::string& path, std::string* error, bool sync = true);

  int fd() const { return fd_; }
  // The file that is finally written: `path` with its symlinks followed.
  const std::string& target() const { return target_; }
  // The file the bytes go to until Commit: the temporary, or the target itself when direct.
  const std::string& writing_path() const { return direct_ ? target_ : temporary_; }
  // True for a device or a named pipe, written in place: it can neither seek nor be undone.
  bool direct() const { return direct_; }

  // Every byte, or false with `error` (a full disk, a pipe whose reader went away).
  bool Write(const void* data, size_t size, std::string* error);
  // Makes the file complete: flushes, closes and renames the temporary over the target.
  bool Commit(std::string* error);
  // Closes without completing: the temporary is removed, the target stays as it was.
  void Abort();

 private:
  int fd_ = -1;
  bool direct_ = false;
  bool sync_ = true;
  int keep_mode_ = -1;  // the permissions of the file being replaced, kept by its successor
  std::string target_;
  std::string temporary_;
};

// Writes `size` bytes as the whole content of `path` through an OutputFile.
bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string* error,
                    bool sync = true);

// Follows `path` through its symlinks to the name that is finally written (which need not exist
// yet). False with `error` on a loop or a link that cannot be read.
bool ResolveOutputPath(const std::string& path, std::string* resolved, std::string* error);

// Held for the duration of a render into one place: a second render into the same folder or
// file is refused while the first runs. The lock is a file beside the output that names the
// process holding it.
class OutputLock {
 public:
  OutputLock() = default;
  ~OutputLock();
  OutputLock(const OutputLock&) = delete;
  OutputLock& operator=(const OutputLock&) = delete;

  // Locks the folder `dir` (when `is_folder`) or the file `path`. Nothing is locked for a device
  // or a named pipe, which several programs may share. False with `error` naming the holder.
  bool Acquire(const std::string& path, bool is_folder, std::string* error);
  void Release();

 private:
  int fd_ = -1;
  std::string lock_path_;
};

}  // namespace sys
}  // namespace vexil

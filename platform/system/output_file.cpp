// Writing files without replacing what must not be replaced and without blocking on an open.
#include "output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vexil {
namespace sys {

namespace {

// Symlinks in a row before the path counts as a loop (the kernel's own limit).
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder == ".") return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// What a file of this type is called in a refusal.
const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder";
  if (S_ISSOCK(mode)) return "it is a socket";
  if (S_ISBLK(mode)) return "it is a block device";
  return "it is not a file vexil writes to";
}

// Letters no one can predict, for the name of a temporary file.
std::string RandomLetters(size_t count) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[16] = {};
  if (count > sizeof bytes) count = sizeof bytes;
  size_t got = 0;
  while (got < count) {
    const ssize_t n = getrandom(bytes + got, count - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  std::string letters;
  for (size_t i = 0; i < count; ++i) letters += kLetters[bytes[i] % (sizeof kLetters - 1)];
  return letters;
}

bool WriteAllTo(int fd, const void* data, size_t size, std::string* error) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t done = ::write(fd, bytes, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      if (error) *error = done < 0 ? std::strerror(errno) : "nothing could be written";
      return false;
    }
    bytes += done;
    size -= static_cast<size_t>(done);
  }
  return true;
}

}  // namespace

bool ResolveOutputPath(const std::string& path, std::string* resolved, std::string* error) {
  std::string current = path;
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      *resolved = current;
      return true;
    }
    char target[4096];
    const ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
    if (length < 0) {
      if (error) *error = std::string("cannot follow its link: ") + std::strerror(errno);
      return false;
    }
    target[length] = '\0';
    current = target[0] == '/' ? std::string(target) : JoinPath(FolderOf(current), target);
  }
  if (error) *error = "its links go round in a loop";
  return false;
}

OutputFile::~OutputFile() {
  Abort();
}

bool OutputFile::Open(const std::string& path, std::string* error, bool sync) {
  Abort();
  sync_ = sync;
  // A pipe or a device, also behind links the kernel alone can follow (/dev/stdout names
  // "pipe:[1234]"): written in place, opened without blocking, so a pipe with no reader fails at
  // once instead of waiting for one, and a device is never replaced by a file.
  struct stat followed {};
  if (::stat(path.c_str(), &followed) == 0 &&
      (S_ISFIFO(followed.st_mode) || S_ISCHR(followed.st_mode))) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
      *error = errno == ENXIO ? "it is a named pipe that no program reads"
                              : std::string(std::strerror(errno));
      return false;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !(S_ISFIFO(opened.st_mode) || S_ISCHR(opened.st_mode))) {
      ::close(fd);
      *error = "it changed while it was opened";
      return false;
    }
    // Writes may wait for a slow reader; only the open had to return at once.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    fd_ = fd;
    target_ = path;
    direct_ = true;
    return true;
  }
  if (!ResolveOutputPath(path, &target_, error)) return false;
  struct stat info {};
  if (::lstat(target_.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) {
      *error = KindOf(info.st_mode);
      return false;
    }
    keep_mode_ = static_cast<int>(info.st_mode & 0777);
  } else if (errno != ENOENT) {
    *error = std::strerror(errno);
    return false;
  }

  const std::string folder = FolderOf(target_);
  const std::string name = NameOf(target_);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = JoinPath(folder, "." + name + "." + RandomLetters(10) + ".tmp");
    // 0666 leaves the permissions to the umask, as for any file the user makes.
    const int fd = ::open(temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      *error = std::strerror(errno);
      return false;
    }
    if (keep_mode_ >= 0) ::fchmod(fd, static_cast<mode_t>(keep_mode_));
    fd_ = fd;
    temporary_ = temporary;
    direct_ = false;
    return true;
  }
  *error = "no temporary file could be made beside it";
  return false;
}

bool OutputFile::Write(const void* data, size_t size, std::string* error) {
  if (fd_ < 0) {
    if (error) *error = "the file is not open";
    return false;
  }
  return WriteAllTo(fd_, data, size, error);
}

bool OutputFile::Commit(std::string* error) {
  if (fd_ < 0) {
    if (error) *error = "the file is not open";
    return false;
  }
  if (direct_) {
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 && errno != EINTR) {
      if (error) *error = std::strerror(errno);
      return false;
    }
    return true;
  }
  if (sync_ && ::fsync(fd_) != 0) {
    if (error) *error = std::strerror(errno);
    Abort();
    return false;
  }
  const int closed = ::close(fd_);
  fd_ = -1;
  if (closed != 0 && errno != EINTR) {
    if (error) *error = std::strerror(errno);
    Abort();
    return false;
  }
  // What was a file or nothing when the write began may have become something else meanwhile;
  // a device or a folder put there is never replaced.
  struct stat info {};
  if (::lstat(target_.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
    if (error) *error = KindOf(info.st_mode);
    Abort();
    return false;
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    if (error) *error = std::strerror(errno);
    Abort();
    return false;
  }
  temporary_.clear();
  if (sync_) {
    // The rename itself reaches the disk with the folder.
    const int folder = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
      ::fsync(folder);
      ::close(folder);
    }
  }
  return true;
}

void OutputFile::Abort() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
  direct_ = false;
  keep_mode_ = -1;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size, std::string* error,
                    bool sync) {
  OutputFile file;
  return file.Open(path, error, sync) && file.Write(data, size, error) && file.Commit(error);
}

OutputLock::~OutputLock() {
  Release();
}

bool OutputLock::Acquire(const std::string& path, bool is_folder, std::string* error) {
  Release();
  struct stat info {};
  if (!is_folder && ::stat(path.c_str(), &info) == 0 &&
      (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode))) {
    return true;
  }
  std::string target;
  if (!ResolveOutputPath(path, &target, error)) return false;
  const std::string lock = is_folder ? JoinPath(target, ".vexil-render.lock")
                                     : JoinPath(FolderOf(target), "." + NameOf(target) + ".lock");
  // A lock file left by a render that ended is reused; one removed by a render ending while we
  // opened it is opened again.
  for (int attempt = 0; attempt < 10; ++attempt) {
    const int fd =
        ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) {
      *error = "cannot write \"" + path + "\": " + std::strerror(errno);
      return false;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
      ::close(fd);
      *error = "the lock file \"" + lock + "\" is not a regular file";
      return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      char holder[256] = {};
      const ssize_t got = ::pread(fd, holder, sizeof holder - 1, 0);
      ::close(fd);
      std::string who = got > 0 ? std::string(holder, static_cast<size_t>(got)) : "";
      while (!who.empty() && (who.back() == '\n' || who.back() == ' ')) who.pop_back();
      *error = "another render is writing to \"" + path + "\"" +
               (who.empty() ? std::string() : " (" + who + ")");
      return false;
    }
    struct stat named {};
    if (::stat(lock.c_str(), &named) != 0 || named.st_ino != opened.st_ino ||
        named.st_dev != opened.st_dev) {
      ::close(fd);
      continue;
    }
    // The holder's process and command, for the message of a render that finds it taken.
    std::string who = "pid " + std::to_string(::getpid());
    char command[512] = {};
    const int cmdline = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
    if (cmdline >= 0) {
      const ssize_t got = ::read(cmdline, command, sizeof command - 1);
      ::close(cmdline);
      if (got > 0) {
        for (ssize_t i = 0; i < got; ++i) {
          if (command[i] == '\0') command[i] = ' ';
        }
        std::string text(command, static_cast<size_t>(got));
        while (!text.empty() && text.back() == ' ') text.pop_back();
        who += ": " + text;
      }
    }
    who += "\n";
    if (::ftruncate(fd, 0) == 0) {
      const ssize_t ignored = ::pwrite(fd, who.data(), who.size(), 0);
      (void)ignored;
    }
    fd_ = fd;
    lock_path_ = lock;
    return true;
  }
  *error = "cannot take the lock file \"" + lock + "\"";
  return false;
}

void OutputLock::Release() {
  if (fd_ < 0) return;
  // Removed while still held, so a render that opens it meanwhile finds it gone and retries.
  ::unlink(lock_path_.c_str());
  ::close(fd_);
  fd_ = -1;
  lock_path_.clear();
}

}  // namespace sys
}  // namespace vexil

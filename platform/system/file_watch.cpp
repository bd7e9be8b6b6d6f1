// inotify on the folders of the watched files, or a status comparison every quarter second.
#include "system/file_watch.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>

namespace vexil {
namespace sys {

namespace {

constexpr int64_t kPollPeriodMs = 250;
constexpr uint32_t kNotifyMask =
    IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB;

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The folder a path lies in, as the kernel reports names relative to it.
std::string FolderOf(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

// The extension of a file name in lower case, with its dot ("" when it has none).
std::string LowerExtension(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension;
}

}  // namespace

bool FileWatcher::Status::operator==(const Status& other) const {
  return exists == other.exists && mtime_ns == other.mtime_ns && size == other.size &&
         inode == other.inode;
}

FileWatcher::FileWatcher(Method method) {
  if (method == Method::kNotify) fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

FileWatcher::~FileWatcher() {
  if (fd_ >= 0) close(fd_);
}

FileWatcher::Status FileWatcher::StatusOf(const std::string& path) {
  Status status;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return status;
  status.exists = true;
  status.mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  status.size = static_cast<int64_t>(st.st_size);
  status.inode = static_cast<uint64_t>(st.st_ino);
  return status;
}

bool FileWatcher::WatchedInFolder(const std::string& name) const {
  if (extensions_.empty()) return true;
  const std::string extension = LowerExtension(name);
  return std::find(extensions_.begin(), extensions_.end(), extension) != extensions_.end();
}

void FileWatcher::Watch(const std::vector<std::string>& files,
                        const std::vector<std::string>& folders,
                        const std::vector<std::string>& folder_extensions) {
  for (const auto& [wd, folder] : folder_of_watch_) inotify_rm_watch(fd_, wd);
  folder_of_watch_.clear();
  names_.clear();
  whole_folders_.clear();
  extensions_.clear();
  for (const std::string& extension : folder_extensions) {
    extensions_.push_back(LowerExtension("x" + extension));
  }

  for (const std::string& file : files) {
    if (file.empty()) continue;
    names_[FolderOf(file)].insert(std::filesystem::path(file).filename().string());
  }
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    names_[folder];
    whole_folders_.insert(folder);
  }
  polled_ = Survey();
  if (fd_ < 0) return;
  for (const auto& [folder, names] : names_) {
    const int wd = inotify_add_watch(fd_, folder.c_str(), kNotifyMask);
    if (wd >= 0) {
      folder_of_watch_[wd] = folder;
    } else if (errno == ENOSPC || errno == ENOMEM) {
      // Out of watches: this watcher polls instead, for everything.
      for (const auto& [other, f] : folder_of_watch_) inotify_rm_watch(fd_, other);
      folder_of_watch_.clear();
      close(fd_);
      fd_ = -1;
      return;
    }
  }
}

std::map<std::string, FileWatcher::Status> FileWatcher::Survey() const {
  std::map<std::string, Status> statuses;
  for (const auto& [folder, names] : names_) {
    for (const std::string& name : names) {
      const std::string path = folder + "/" + name;
      statuses[path] = StatusOf(path);
    }
  }
  for (const std::string& folder : whole_folders_) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
      const std::string name = entry->path().filename().string();
      if (WatchedInFolder(name)) statuses[folder + "/" + name] = StatusOf(entry->path().string());
    }
  }
  return statuses;
}

bool FileWatcher::Changed() {
  return fd_ >= 0 ? DrainNotifications() : PollStatus();
}

bool FileWatcher::DrainNotifications() {
  bool changed = false;
  alignas(struct inotify_event) char buffer[8192];
  for (;;) {
    const ssize_t length = read(fd_, buffer, sizeof buffer);
    if (length <= 0) break;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + offset);
      offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
      // Events were lost: anything may have changed.
      if (event->mask & IN_Q_OVERFLOW) changed = true;
      const auto folder = folder_of_watch_.find(event->wd);
      if (folder == folder_of_watch_.end() || event->len == 0) continue;
      const std::string name = event->name;
      if (whole_folders_.count(folder->second) && WatchedInFolder(name)) changed = true;
      const auto names = names_.find(folder->second);
      if (names != names_.end() && names->second.count(name)) changed = true;
    }
  }
  return changed;
}

bool FileWatcher::PollStatus() {
  const int64_t now = SteadyMs();
  if (now - last_poll_ms_ < kPollPeriodMs) return false;
  last_poll_ms_ = now;
  std::map<std::string, Status> now_seen = Survey();
  const bool changed = now_seen != polled_;
  polled_ = std::move(now_seen);
  return changed;
}

}  // namespace sys
}  // namespace vexil

// Notices when files change on disk: the files of a demo being edited. Uses the kernel's file
// notifications (inotify) where it can and falls back to comparing the files' status now and
// then. Editors that save by writing a new file and renaming it over the old one are seen too:
// the folders are watched, not the files' inodes.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vexil {
namespace sys {

class FileWatcher {
 public:
  enum class Method { kNotify, kPoll };
  // kNotify falls back to kPoll when the system gives no notifications.
  explicit FileWatcher(Method method = Method::kNotify);
  ~FileWatcher();
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  // Replaces what is watched: these files, and in these folders the files whose extension is
  // one of `folder_extensions` (".png", compared without regard to case; every file when the
  // list is empty). A folder shared with files the program writes itself (a log) is then not
  // seen to change by those writes.
  void Watch(const std::vector<std::string>& files, const std::vector<std::string>& folders,
             const std::vector<std::string>& folder_extensions = {});
  // True when something watched was written, replaced, created or removed since the last call.
  // Never waits.
  bool Changed();
  Method method() const { return fd_ >= 0 ? Method::kNotify : Method::kPoll; }

 private:
  struct Status {
    bool exists = false;
    int64_t mtime_ns = 0;
    int64_t size = 0;
    uint64_t inode = 0;
    bool operator==(const Status& other) const;
  };
  static Status StatusOf(const std::string& path);
  bool WatchedInFolder(const std::string& name) const;
  // Polling: the status of every watched file, those found in the folders included.
  std::map<std::string, Status> Survey() const;
  bool DrainNotifications();
  bool PollStatus();

  int fd_ = -1;
  std::map<int, std::string> folder_of_watch_;  // inotify watch -> folder
  // Per folder: the names watched in it (the named files).
  std::map<std::string, std::set<std::string>> names_;
  std::set<std::string> whole_folders_;
  std::vector<std::string> extensions_;   // lower case, with the dot
  std::map<std::string, Status> polled_;  // polling: path -> last status
  int64_t last_poll_ms_ = 0;
};

}  // namespace sys
}  // namespace vexil

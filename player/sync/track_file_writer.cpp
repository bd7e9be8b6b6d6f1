// Atomic replacement of track files.
#include "sync/track_file_writer.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "params/synccontext.h"

namespace vexil {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  static unsigned counter = 0;
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temporary = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *error = "cannot create \"" + temporary + "\": " + std::strerror(errno);
    return false;
  }
  const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int saved = errno;
  if (::close(fd) != 0 || !written) {
    *error = "cannot write \"" + temporary + "\": " + std::strerror(written ? errno : saved);
    ::unlink(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    *error = "cannot replace \"" + path + "\": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

bool SaveSyncTracks(const CSyncContext& sync, const std::string& script_folder,
                    std::vector<std::string>* written, std::string* error) {
  for (int32_t i = 0; i < sync.GetTrackCount(); ++i) {
    const std::string path = sync.TrackFilePath(sync.GetTrackName(i), script_folder);
    if (path.empty()) {
      *error = "the tracks come from the project file \"" + sync.GetTrackSource() +
               "\": save them in the editor";
      return false;
    }
    if (!ReplaceFileAtomically(path, EncodeSyncTrackFile(sync.GetTrack(i)), error)) return false;
    written->push_back(path);
  }
  return true;
}

}  // namespace vexil

// Texts and log lines of the "showtime" timing aid.
#include "timing_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace effects {

std::string FormatTimeText(int t) {
  char text[64];
  std::snprintf(text, sizeof(text), "%02d:%02d:%02d:%02d", t / 60000, (t / 1000) % 60,
                (t / 100) % 10, t % 100);
  return text;
}

std::string FormatRateText(float frameTimeMs) {
  if (!(frameTimeMs > 0.0f)) return "-- FPS";
  char text[64];
  std::snprintf(text, sizeof(text), "%.0f FPS", 1000.0 / frameTimeMs);
  return text;
}

const char* OrdinalSuffix(int linesBefore) {
  switch (linesBefore) {
    case 0:
      return "st";
    case 1:
      return "nd";
    case 2:
      return "rd";
    default:
      return "th";
  }
}

std::string FormatLogLine(int ordinal, const char* suffix, const std::string& timeText, int t,
                          const char* keyName) {
  const int length = std::snprintf(nullptr, 0, "%2d%3s\t%s\t%d ms \t(%s)\n", ordinal, suffix,
                                   timeText.c_str(), t, keyName);
  std::string line(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  std::snprintf(&line[0], line.size() + 1, "%2d%3s\t%s\t%d ms \t(%s)\n", ordinal, suffix,
                timeText.c_str(), t, keyName);
  return line;
}

namespace {

// Said once per run: the log is tried again at every key, the message is not repeated.
void RefuseOnce(const char* path, const char* why) {
  static bool said = false;
  if (said) return;
  said = true;
  std::fprintf(stderr, "showtime: \"%s\" %s: no timing log is written\n", path, why);
}

}  // namespace

bool AppendToLog(const char* path, const std::string& text) {
  // The log lives in the demo's folder, which may come from an archive: a named pipe there must
  // not stop the demo on its open, and a symlink must not make it append to some other file.
  const int fd = ::open(
      path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == ELOOP) RefuseOnce(path, "is a symbolic link");
    if (errno == ENXIO) RefuseOnce(path, "is not a regular file (a named pipe)");
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    RefuseOnce(path, S_ISFIFO(info.st_mode) ? "is not a regular file (a named pipe)"
                                            : "is not a regular file");
    return false;
  }
  const char* bytes = text.data();
  size_t left = text.size();
  while (left > 0) {
    const ssize_t done = ::write(fd, bytes, left);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) break;
    bytes += done;
    left -= static_cast<size_t>(done);
  }
  ::close(fd);
  return left == 0;
}

}  // namespace effects

// stderr redirected into an unnamed temporary file (a pipe could fill up and block the writer).
#include "system/stderr_capture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace vexil {
namespace sys {

StderrCapture::StderrCapture() {
  std::fflush(stderr);
  std::FILE* file = std::tmpfile();
  if (!file) return;
  file_fd_ = dup(fileno(file));
  std::fclose(file);  // the duplicate keeps the unnamed file alive
  saved_fd_ = dup(STDERR_FILENO);
  if (file_fd_ < 0 || saved_fd_ < 0 || dup2(file_fd_, STDERR_FILENO) < 0) {
    if (file_fd_ >= 0) close(file_fd_);
    if (saved_fd_ >= 0) close(saved_fd_);
    file_fd_ = saved_fd_ = -1;
  }
}

StderrCapture::~StderrCapture() {
  Finish();
}

std::string StderrCapture::Finish() {
  if (saved_fd_ < 0) return std::string();
  std::fflush(stderr);
  dup2(saved_fd_, STDERR_FILENO);
  close(saved_fd_);
  saved_fd_ = -1;
  std::string text;
  char buffer[4096];
  if (lseek(file_fd_, 0, SEEK_SET) == 0) {
    for (ssize_t n; (n = read(file_fd_, buffer, sizeof buffer)) > 0;) {
      text.append(buffer, static_cast<size_t>(n));
    }
  }
  close(file_fd_);
  file_fd_ = -1;
  if (!text.empty()) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
  return text;
}

}  // namespace sys
}  // namespace vexil

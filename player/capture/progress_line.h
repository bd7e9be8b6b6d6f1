// The one-line progress report of an offline render on a terminal: frames done out of the
// expected count, frames rendered per second, and the time left at that speed. Redrawn in
// place a few times a second; a run whose standard error is a log file stays quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace vexil {

// "frame 120 of 301, 58.3 fps, 3 s left". `total` 0 leaves out the count and the time left;
// `elapsed_seconds` 0 leaves out the speed and the time left.
std::string ProgressText(int64_t done, int64_t total, double elapsed_seconds);

class ProgressLine {
 public:
  // Shown on `stream` only when it is a terminal.
  explicit ProgressLine(std::FILE* stream);
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Reports `done` frames of an expected `total`; drawn at most four times a second.
  void Update(int64_t done, int64_t total);
  // Removes the line, so whatever is printed next starts on a clean line.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  std::FILE* stream_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_draw_;
};

}  // namespace vexil

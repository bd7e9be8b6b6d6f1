// Progress of an offline render on a terminal.
#include "progress_line.h"

#include <unistd.h>

#include <cinttypes>
#include <cmath>

namespace vexil {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);

std::string TimeLeftText(double seconds) {
  const auto whole = static_cast<int64_t>(std::ceil(seconds));
  char text[48];
  if (whole < 60) {
    std::snprintf(text, sizeof text, "%" PRId64 " s left", whole);
  } else {
    std::snprintf(text, sizeof text, "%" PRId64 " min %02" PRId64 " s left", whole / 60,
                  whole % 60);
  }
  return text;
}
}  // namespace

std::string ProgressText(int64_t done, int64_t total, double elapsed_seconds) {
  char text[96];
  if (total > 0) {
    std::snprintf(text, sizeof text, "frame %" PRId64 " of %" PRId64, done, total);
  } else {
    std::snprintf(text, sizeof text, "frame %" PRId64, done);
  }
  std::string line = text;
  if (elapsed_seconds <= 0.0 || done <= 0) return line;
  const double fps = static_cast<double>(done) / elapsed_seconds;
  std::snprintf(text, sizeof text, ", %.1f fps", fps);
  line += text;
  if (total > done) line += ", " + TimeLeftText(static_cast<double>(total - done) / fps);
  return line;
}

ProgressLine::ProgressLine(std::FILE* stream)
    : stream_(stream), enabled_(isatty(fileno(stream)) != 0), start_(Clock::now()) {}

void ProgressLine::Update(int64_t done, int64_t total) {
  if (!enabled_) return;
  const Clock::time_point now = Clock::now();
  if (shown_ && now - last_draw_ < kRedrawInterval) return;
  last_draw_ = now;
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  // Carriage return and erase to the end of the line: the line is redrawn in place.
  std::fprintf(stream_, "\rvexil: %s\033[K", ProgressText(done, total, elapsed).c_str());
  std::fflush(stream_);
  shown_ = true;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  std::fprintf(stream_, "\r\033[K");
  std::fflush(stream_);
  shown_ = false;
}

}  // namespace vexil

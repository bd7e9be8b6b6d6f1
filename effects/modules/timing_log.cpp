// Texts and log lines of the "showtime" timing aid.
#include "timing_log.h"

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

bool AppendToLog(const char* path, const std::string& text) {
  std::FILE* file = std::fopen(path, "a");
  if (!file) return false;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  return true;
}

}  // namespace effects

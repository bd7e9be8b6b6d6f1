// The timing aid's texts and its log file "timing.txt": the time and rate shown on screen,
// ordinal suffixes and the lines appended when a watched key is pressed.
#pragma once

#include <string>

namespace effects {

constexpr char kTimingLogFile[] = "timing.txt";
constexpr char kTimingStartBanner[] = "=============== DEMO START ===============\n";
constexpr char kTimingEndBanner[] = "===============  DEMO END  ===============\n";
constexpr char kTimingSeparator[] = "----------------------------------\n";

// "mm:ss:t:cc" as "%02d:%02d:%02d:%02d" from t / 60000, (t / 1000) % 60, (t / 100) % 10 and
// t % 100: minutes, seconds, tenths and the last two digits of the milliseconds.
std::string FormatTimeText(int t);

// "%.0f FPS" of 1000 / frame time; "-- FPS" when the frame time is not positive (the first
// frame at the module's start, or a clock that went back), which has no rate to show.
std::string FormatRateText(float frameTimeMs);

// Suffix of a log line, chosen by the number of lines written before it: "st", "nd", "rd",
// then "th" for every later line (the eleventh and twenty-first too, as logs have always read).
const char* OrdinalSuffix(int linesBefore);

// "%2d%3s\t%s\t%d ms \t(%s)\n" from the ordinal, its suffix, the time text, t and the key name.
std::string FormatLogLine(int ordinal, const char* suffix, const std::string& timeText, int t,
                          const char* keyName);

// Appends `text` to the file at `path`, opened and closed around the write; false when the file
// cannot be written. Only a regular file (or none yet) is a log: a named pipe, a symlink or a
// device under that name is left alone, with one message on stderr per run.
bool AppendToLog(const char* path, const std::string& text);

}  // namespace effects

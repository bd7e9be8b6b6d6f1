// Whole-process measurements: a program run headless (SDL's offscreen video and dummy audio
// drivers, its output discarded) with its wall time, processor time and peak resident memory.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vexil_bench {

struct MeasuredRun {
  bool ok = false;        // ended by itself with status 0
  bool timedOut = false;  // killed at the time limit
  double seconds = 0;     // wall time from start to end
  double cpuSeconds = 0;  // user and system time of all its threads
  double peakMiB = 0;     // peak resident memory
};

// Runs `argv` (argv[0] the program's path) in `folder`, killed after `timeoutSeconds`.
// `poll`, when given, is called with the milliseconds since the start every 200 µs while the
// program runs, for a caller watching for something the program makes.
MeasuredRun RunMeasured(std::vector<std::string> argv, const std::string& folder,
                        double timeoutSeconds,
                        const std::function<void(double elapsedMs)>& poll = nullptr);

}  // namespace vexil_bench

// Runs one of the built programs (the player, the gma tool, the generators) as the tests'
// one way to start a process: in a given folder, with bounded time, memory and file size,
// its standard output and error captured. A program that outlives its time is killed with
// everything it started.
#pragma once

#include <string>
#include <vector>

namespace vexil::test {

struct RunLimits {
  int seconds = 120;
  // Address space of the program; not applied in sanitizer builds, whose shadow memory
  // needs far more address space than the program ever uses.
  long long memoryMiB = 8192;
  // Largest file the program may write (a runaway capture stops here).
  long long fileMiB = 512;
};

struct RunResult {
  int status = -1;  // exit status, or -1 when the program did not exit by itself
  bool timedOut = false;
  std::string out;
  std::string err;
};

// `text` split at spaces into arguments (no quoting: for simple argument lists).
std::vector<std::string> Words(const std::string& text);

// The path of a program built into the build's bin folder.
std::string BuiltProgram(const std::string& name);

// Runs `program` with `args` in `folder` (the current folder when empty).
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& folder = "", const RunLimits& limits = {});

// Runs the player, bin/vexil.
RunResult RunPlayer(const std::vector<std::string>& args, const std::string& folder = "",
                    const RunLimits& limits = {});

}  // namespace vexil::test

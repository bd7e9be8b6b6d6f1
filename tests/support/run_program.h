// Runs one of the built programs (the player, the gma tool, the generators) as the tests'
// one way to start a process: in a given folder, with bounded time, memory and file size,
// its standard output and error captured. A program that outlives its time is killed with
// everything it started.
#pragma once

#include <functional>
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

// A signal sent to the program once `when` answers true (asked every few milliseconds while
// it runs), as a person pressing Ctrl-C would.
struct StopRequest {
  int signal = 0;
  std::function<bool()> when;
};

struct RunResult {
  int status = -1;  // exit status, or -1 when the program did not exit by itself
  int signal = 0;   // the signal that ended the program, when one did
  bool timedOut = false;
  std::string out;
  std::string err;
};

// True in builds with AddressSanitizer, where no address-space limit can be applied: a case
// that needs one to make an allocation fail cannot be shown there.
bool Sanitized();

// The leak checker's options in sanitizer builds: the test programs' own defaults, and what
// the programs they run get in LSAN_OPTIONS. They name tests/lsan.supp and turn off the
// runtime's tracking of dynamic TLS blocks, whose guess misreads heap chunks (run_program.cpp).
extern const char kLeakCheckOptions[];

// `text` split at spaces into arguments (no quoting: for simple argument lists).
std::vector<std::string> Words(const std::string& text);

// The path of a program built into the build's bin folder.
std::string BuiltProgram(const std::string& name);

// Runs `program` with `args` in `folder` (the current folder when empty).
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& folder = "", const RunLimits& limits = {},
                     const StopRequest& stop = {});

// Runs the player, bin/vexil.
RunResult RunPlayer(const std::vector<std::string>& args, const std::string& folder = "",
                    const RunLimits& limits = {}, const StopRequest& stop = {});

}  // namespace vexil::test

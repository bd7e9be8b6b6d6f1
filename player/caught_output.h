// Runs a piece of work with its complaints caught instead of shown: message boxes are counted,
// not opened, and what is written to stderr is kept (it still reaches stderr), so that edit
// mode can show a build's complaints in the window.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vexil {

struct CaughtOutput {
  std::vector<std::string> lines;  // what went to stderr, one non-empty line each
  int boxes = 0;                   // message boxes that would have opened
};

CaughtOutput CatchOutput(const std::function<void()>& work);

// Splits captured output into its non-empty lines.
std::vector<std::string> OutputLines(const std::string& text);

}  // namespace vexil

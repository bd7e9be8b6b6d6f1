// Message boxes counted and stderr caught around a piece of work.
#include "caught_output.h"

#include <sstream>

#include "system/message_box.h"
#include "system/stderr_capture.h"

namespace vexil {

CaughtOutput CatchOutput(const std::function<void()>& work) {
  CaughtOutput caught;
  sys::MessageSink previous =
      sys::SetMessageSink([&caught](const std::string&, const std::string&) { ++caught.boxes; });
  sys::StderrCapture capture;
  work();
  caught.lines = OutputLines(capture.Finish());
  sys::SetMessageSink(std::move(previous));
  return caught;
}

std::vector<std::string> OutputLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace vexil

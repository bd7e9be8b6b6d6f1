// Catches what the program writes to stderr for a while (a demo being rebuilt: the libraries
// say there what failed) so that it can also be shown in the window. The text still reaches
// the real stderr when the capture ends.
#pragma once

#include <string>

namespace vexil {
namespace sys {

class StderrCapture {
 public:
  // Starts catching; nothing is caught when the redirection cannot be made.
  StderrCapture();
  // Ends the capture if Finish was not called.
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Ends the capture: copies the caught text to the real stderr and returns it.
  std::string Finish();

 private:
  int saved_fd_ = -1;
  int file_fd_ = -1;
};

}  // namespace sys
}  // namespace vexil

// A temporary folder for one test: made under the system's temporary folder, optionally the
// working directory while it lives, removed with everything in it afterwards (set
// VEXIL_KEEP_TEST_FILES=1 to keep it for a look). Plus whole-file reads and writes.
#pragma once

#include <string>

namespace vexil::test {

class ScratchDir {
 public:
  enum Mode { kStayPut, kEnter };
  explicit ScratchDir(Mode mode = kStayPut);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // Empty when the folder could not be made (or entered).
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  // Links (symbolically) every regular file of `folder` into this one, so that a program can
  // play from it without writing into `folder` (the built demo's timing aid writes its log
  // into the folder it plays from). False when a link cannot be made.
  bool LinkFilesFrom(const std::string& folder);

 private:
  std::string path_;
  std::string previous_;  // the working directory to go back to (kEnter)
};

// The whole file ("" when it cannot be read).
std::string ReadFile(const std::string& path);
// Writes `content` as the whole file; false on failure.
bool WriteFile(const std::string& path, const std::string& content);

}  // namespace vexil::test

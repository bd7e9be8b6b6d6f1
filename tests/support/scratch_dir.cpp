// Scratch folders and whole-file helpers for the tests.
#include "support/scratch_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vexil::test {

ScratchDir::ScratchDir(Mode mode) {
  std::string pattern = (std::filesystem::temp_directory_path() / "vexil-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return;
  path_ = pattern;
  if (mode != kEnter) return;
  std::error_code ec;
  previous_ = std::filesystem::current_path(ec).string();
  if (ec || chdir(path_.c_str()) != 0) {
    previous_.clear();
    std::filesystem::remove_all(path_, ec);
    path_.clear();
  }
}

ScratchDir::~ScratchDir() {
  if (!previous_.empty() && chdir(previous_.c_str()) != 0) return;
  if (path_.empty()) return;
  const char* keep = std::getenv("VEXIL_KEEP_TEST_FILES");
  if (keep && *keep && std::string(keep) != "0") return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

bool ScratchDir::LinkFilesFrom(const std::string& folder) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (!entry.is_regular_file()) continue;
    std::filesystem::create_symlink(entry.path(), File(entry.path().filename().string()), ec);
    if (ec) return false;
  }
  return !ec && !path_.empty();
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

bool WriteFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary);
  file << content;
  return static_cast<bool>(file.flush());
}

}  // namespace vexil::test

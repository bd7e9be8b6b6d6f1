// Windows-style path lookup on case-sensitive file systems.
#include "d3dx9/file_path.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace d3dx {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// The entry of `dir` whose name equals `name` ignoring case, or empty.
std::string FindInDirectory(const std::string& dir, const std::string& name) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

}  // namespace

std::string ResolvePath(const std::string& path) {
  if (path.empty() || Exists(path)) return path;
  std::string slashed = path;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  if (Exists(slashed)) return slashed;

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= slashed.size()) {
    size_t end = slashed.find('/', start);
    if (end == std::string::npos) end = slashed.size();
    parts.push_back(slashed.substr(start, end - start));
    start = end + 1;
  }
  std::string current = slashed[0] == '/' ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part == ".") continue;
    std::string next = part == ".." ? part : FindInDirectory(current, part);
    if (next.empty()) return slashed;
    if (!current.empty() && current.back() != '/') current += '/';
    current += next;
  }
  return Exists(current) ? current : slashed;
}

}  // namespace d3dx

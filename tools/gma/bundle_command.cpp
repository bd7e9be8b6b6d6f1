// Finds what the script refers to as --check does, refuses names a bundle cannot hold, and
// writes the archive (or, with --list, prints what it would hold).
#include "bundle_command.h"

#include <strings.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "demo_files.h"
#include "system/bundle.h"
#include "system/regular_file.h"
#include "system/text_encoding.h"
#include "zip_writer.h"

namespace vexil {
namespace {

namespace fs = std::filesystem;

const char kBundleUsage[] =
    "usage: vexil-gma bundle SCRIPT OUT.zip   write the script and the files it refers to\n"
    "       vexil-gma bundle --list SCRIPT    print what the bundle would hold\n";

// The name of `path` inside a bundle whose top is `folder`: relative, with '/' separators.
// Empty when the file lies outside that folder (an absolute name, "..").
std::string EntryName(const std::string& path, const std::string& folder) {
  const fs::path normal = fs::path(path).lexically_normal();
  const fs::path relative = normal.lexically_relative(fs::path(folder).lexically_normal());
  if (relative.empty() || relative.is_absolute()) return "";
  const std::string name = relative.generic_string();
  if (name == "." || name == ".." || name.compare(0, 3, "../") == 0) return "";
  return name;
}

bool ReadEntry(const std::string& path, uint64_t limit, std::string* bytes, std::string* error) {
  bool missing = false;
  return sys::ReadRegularFile(path, limit, bytes, error, &missing);
}

std::string Where(const ReferencedFile& file) {
  return file.line > 0 ? "line " + std::to_string(file.line) + ": " : "";
}

}  // namespace

int RunBundleCommand(int argc, char** argv) {
  bool list = false;
  std::vector<std::string> operands;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list") == 0) {
      list = true;
    } else if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kBundleUsage, stdout);
      return 0;
    } else {
      operands.push_back(argv[i]);
    }
  }
  if (operands.size() != (list ? 1u : 2u)) {
    std::fputs(kBundleUsage, stderr);
    return 2;
  }

  DemoFiles demo;
  std::string error;
  if (!FindDemoFiles(operands[0], &demo, &error)) {
    std::fprintf(stderr, "vexil-gma: %s\n", error.c_str());
    return 1;
  }

  // The script first, then every file found, each under its name relative to the script.
  std::vector<std::pair<std::string, std::string>> entries;  // name, path
  std::map<std::string, std::string> taken;                  // lower-case name -> name
  bool refused = false;
  auto take = [&](const std::string& name, const std::string& path) {
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto [slot, added] = taken.emplace(key, name);
    if (added) {
      entries.emplace_back(name, path);
    } else if (slot->second != name) {
      // Bundles are read without regard to letter case: two such names cannot both go in.
      std::fprintf(stderr,
                   "vexil-gma: \"%s\" and \"%s\" differ only in letter case: a bundle cannot "
                   "hold both\n",
                   sys::Printable(slot->second).c_str(), sys::Printable(name).c_str());
      refused = true;
    }
  };
  take(fs::path(demo.script).filename().string(), demo.script);
  for (const ReferencedFile& file : demo.files) {
    const std::string name = EntryName(file.path, demo.folder);
    if (name.empty()) {
      std::fprintf(stderr,
                   "vexil-gma: %sthe file \"%s\" lies outside the script's folder: a bundle "
                   "holds only files in the script's folder and below it\n",
                   Where(file).c_str(), sys::Printable(file.name).c_str());
      refused = true;
      continue;
    }
    if (!file.found) {
      std::fprintf(stderr, "vexil-gma: warning: %sthe file \"%s\" is not found: not bundled\n",
                   Where(file).c_str(), sys::Printable(file.name).c_str());
      continue;
    }
    take(name, file.path);
  }
  if (refused) {
    std::fprintf(stderr, "vexil-gma: nothing %s\n", list ? "listed" : "written");
    return 1;
  }

  if (list) {
    for (const auto& entry : entries) std::printf("%s\n", entry.first.c_str());
    return 0;
  }

  const sys::BundleLimits limits;
  std::vector<ZipEntry> zipped;
  uint64_t total = 0;
  for (const auto& [name, path] : entries) {
    ZipEntry entry{name, {}};
    if (!ReadEntry(path, limits.maxEntryBytes, &entry.bytes, &error)) {
      std::fprintf(stderr, "vexil-gma: cannot read \"%s\": %s\n", sys::Printable(path).c_str(),
                   error.c_str());
      return 1;
    }
    total += entry.bytes.size();
    zipped.push_back(std::move(entry));
  }
  if (total > limits.maxTotalBytes || zipped.size() > limits.maxEntries) {
    std::fprintf(stderr, "vexil-gma: the files come to more than a bundle may hold\n");
    return 1;
  }
  if (!WriteZip(operands[1], zipped, &error)) {
    std::fprintf(stderr, "vexil-gma: cannot create \"%s\": %s\n", operands[1].c_str(),
                 error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace vexil

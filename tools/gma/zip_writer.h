// Writes a zip archive of named byte strings through the file writer, so that a failed write
// never leaves half an archive and a device given as the output is never replaced.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vexil {

struct ZipEntry {
  std::string name;  // with '/' separators, relative to the archive's top
  std::string bytes;
};

bool WriteZip(const std::string& path, const std::vector<ZipEntry>& entries, std::string* error);

}  // namespace vexil

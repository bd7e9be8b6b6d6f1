// The files a demo script refers to, found by building the demo on the null device as --check
// does: only the built modules and resources know which of their values name files.
#pragma once

#include <string>
#include <vector>

#include "script_check.h"

namespace vexil {

struct DemoFiles {
  std::string script;  // the script (or container) as found
  std::string folder;  // its folder, which every entry of a bundle is relative to
  std::vector<ReferencedFile> files;
};

// False with `error` when the script cannot be read or the null display not opened.
bool FindDemoFiles(const std::string& script_path, DemoFiles* out, std::string* error);

}  // namespace vexil

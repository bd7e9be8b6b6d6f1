// The loader of the browser build, where every plug-in library is linked into the program:
// a library "loads" when its file name is one that was registered, and its exports are the
// registered addresses. The engine's search for a library's file (its folder, the script's
// folder, the ".dll" name mapped to "lib….so") stays as it is: the linked libraries are the
// files of the program's library folder, a name no real folder has.
#include <strings.h>

#include <string>
#include <vector>

#include "system/dynlib.h"

namespace vexil {
namespace sys {

namespace {

struct LinkedLibrary {
  std::string file;
  std::vector<LinkedExport> exports;
};

std::vector<LinkedLibrary>& Registry() {
  static std::vector<LinkedLibrary> libraries;
  return libraries;
}

std::string g_last_error;

// The program's library folder: it holds exactly the linked libraries.
const char kLinkedFolder[] = "/linked-plug-ins";

std::string BaseName(const std::string& path) {
  const std::string::size_type slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void RegisterLinkedLibrary(const char* file, std::vector<LinkedExport> exports) {
  Registry().push_back({file, std::move(exports)});
}

DynLibHandle DynLibOpen(const char* file) {
  if (!file || !*file) {
    g_last_error = "empty library name";
    return nullptr;
  }
  const std::string name = BaseName(file);
  for (LinkedLibrary& library : Registry()) {
    if (strcasecmp(library.file.c_str(), name.c_str()) == 0) return &library;
  }
  g_last_error = std::string(file) + ": no library of that name is linked into this player";
  return nullptr;
}

bool DynLibDefinesFunctions(const std::string& file, const std::vector<std::string>& functions,
                            std::string* why) {
  const std::string name = BaseName(file);
  for (const LinkedLibrary& library : Registry()) {
    if (strcasecmp(library.file.c_str(), name.c_str()) != 0) continue;
    for (const std::string& function : functions) {
      bool defined = false;
      for (const LinkedExport& entry : library.exports) defined = defined || function == entry.name;
      if (!defined) {
        if (why) *why = "it does not define " + function;
        return false;
      }
    }
    return true;
  }
  if (why) *why = "no library of that name is linked into this player";
  return false;
}

void* DynLibSymbol(DynLibHandle handle, const char* name) {
  if (!handle || !name) return nullptr;
  for (const LinkedExport& entry : static_cast<LinkedLibrary*>(handle)->exports) {
    if (std::string(entry.name) == name) return entry.address;
  }
  g_last_error = std::string(name) + ": not defined by the library itself";
  return nullptr;
}

void DynLibClose(DynLibHandle) {}

std::string DynLibLastError() {
  return g_last_error;
}

std::string DynLibFolderOf(const void*) {
  return kLinkedFolder;
}

// Only the program's folder holds libraries: a demo cannot bring a plug-in to a web page.
std::string DynLibFindIgnoringCase(const std::string& folder, const std::string& file) {
  if (folder != kLinkedFolder) return {};
  for (const LinkedLibrary& library : Registry()) {
    if (strcasecmp(library.file.c_str(), file.c_str()) == 0) return folder + "/" + library.file;
  }
  return {};
}

}  // namespace sys
}  // namespace vexil

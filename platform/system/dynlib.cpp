// Dynamic libraries over libdl: dlopen/dlsym/dlclose, and dladdr to locate a loaded file.
// Symbols stay local to each plug-in (RTLD_LOCAL) so two plug-ins may export the same names.
#include "system/dynlib.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "system/elf_exports.h"
#include "system/file_lookup.h"

namespace vexil {
namespace sys {

namespace {
thread_local std::string g_last_error;

void RememberError() {
  const char* message = dlerror();
  g_last_error = message ? message : "";
}
}  // namespace

DynLibHandle DynLibOpen(const char* file) {
  if (!file || !*file) {
    g_last_error = "empty library name";
    return nullptr;
  }
  dlerror();
  void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
  if (!handle) RememberError();
  return handle;
}

bool DynLibDefinesFunctions(const std::string& file, const std::vector<std::string>& functions,
                            std::string* why) {
  return ElfDefinesFunctions(file, functions, why);
}

void* DynLibSymbol(DynLibHandle library, const char* name) {
  if (!library || !name) return nullptr;
  dlerror();
  void* symbol = dlsym(library, name);
  if (!symbol) {
    RememberError();
    return nullptr;
  }
  // dlsym also searches the libraries this one depends on. A plug-in linked against the
  // engine would otherwise "export" the engine's own GetName/CreateInstance/FreeInstance.
  struct link_map* own = nullptr;
  struct link_map* owner = nullptr;
  Dl_info info{};
  if (dlinfo(library, RTLD_DI_LINKMAP, &own) != 0 ||
      !dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) || own != owner) {
    g_last_error = std::string(name) + ": not defined by the library itself";
    return nullptr;
  }
  return symbol;
}

void DynLibClose(DynLibHandle library) {
  if (library) dlclose(library);
}

std::string DynLibLastError() {
  return g_last_error;
}

std::string DynLibFolderOf(const void* address) {
  Dl_info info{};
  if (!address || !dladdr(address, &info) || !info.dli_fname || !*info.dli_fname) return {};
  // dli_fname is the path the object was loaded under, possibly relative: make it absolute.
  std::unique_ptr<char, decltype(&std::free)> resolved(realpath(info.dli_fname, nullptr),
                                                       &std::free);
  std::string path = resolved ? resolved.get() : info.dli_fname;
  const std::string::size_type slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string DynLibFindIgnoringCase(const std::string& folder, const std::string& file) {
  if (file.empty() || file.find('/') != std::string::npos) return {};
  const std::string home = folder.empty() ? "./" : folder.back() == '/' ? folder : folder + "/";
  const FileLookup lookup = LookUpFile(home + file);
  if (lookup.kind != FileKind::kRegular) return {};
  // The loader searches its own path for a name without a slash: keep this one a path.
  return lookup.path.find('/') == std::string::npos ? "./" + lookup.path : lookup.path;
}

}  // namespace sys
}  // namespace vexil

// Dynamic libraries for the plug-in manager: open, resolve exports, close, and find the
// folder a loaded library lives in. Thin layer over the platform loader (dlopen on Linux).
#pragma once

#include <string>
#include <vector>

namespace vexil {
namespace sys {

// Opaque handle of a loaded library; null means "not loaded".
using DynLibHandle = void*;

// Loads a library by file name (the loader's search path applies) or by path.
// Returns null on failure; DynLibLastError() then says why.
DynLibHandle DynLibOpen(const char* file);

// Whether the library file `file` defines each of `functions` as an export, told from the
// file without loading it, so that none of its code runs; false with the reason in `why`
// ("not a shared library (no ELF header)", "it does not define FreeInstance", ...).
bool DynLibDefinesFunctions(const std::string& file, const std::vector<std::string>& functions,
                            std::string* why);

// Resolves a symbol that the library itself exports, by its undecorated name; null when
// absent (symbols of the libraries it depends on do not count).
void* DynLibSymbol(DynLibHandle library, const char* name);

// Releases one reference to the library; null is ignored.
void DynLibClose(DynLibHandle library);

// The loader's message for the most recent failure on this thread, or "".
std::string DynLibLastError();

// Folder (without trailing slash) of the loaded file that contains `address`, e.g. the
// address of a function of a library. Empty when it cannot be told.
std::string DynLibFolderOf(const void* address);

// Path of the file in `folder` whose name equals `file` without regard to case (library
// names written for case-blind file systems), or "" when there is none. Several such files:
// the first in byte order, as for every file a demo names (system/file_lookup.h).
std::string DynLibFindIgnoringCase(const std::string& folder, const std::string& file);

// One export of a library linked into the program.
struct LinkedExport {
  const char* name;
  void* address;
};

// Makes a library that is linked into the program (the browser build has no dynamic loader)
// loadable by its file name (e.g. "libeffectpack.so", compared without regard to case and
// without its folder) with these exports. Only the linked-library loader keeps them.
void RegisterLinkedLibrary(const char* file, std::vector<LinkedExport> exports);

}  // namespace sys
}  // namespace vexil

// Whether a file is a plug-in library, told from the file alone: its ELF header and dynamic
// symbol table are read without loading it, so that the initialisers of a library that turns
// out not to be a plug-in never run.
#pragma once

#include <string>
#include <vector>

namespace vexil {
namespace sys {

// True when `path` is a regular file holding an ELF shared library for this machine whose
// dynamic symbol table defines each of `functions` as an exported function. Otherwise false
// with the reason in `why`, e.g. "not a regular file (a named pipe)", "not a shared library
// (no ELF header)", "a library for another kind of machine", "it does not define FreeInstance".
bool ElfDefinesFunctions(const std::string& path, const std::vector<std::string>& functions,
                         std::string* why);

}  // namespace sys
}  // namespace vexil

// Why the latest picture or mesh failed to load from a file on this thread. The reason is
// printed on stderr as it happens and kept, so that a caller that knows where the file was
// named (a script line, for --check) can report it there too.
#pragma once

#include <string>

namespace d3dx {

// Prints `D3DX: cannot load <what> "<file>": <reason>` on stderr and keeps the reason.
void ReportLoadFailure(const char* what, const char* file, const std::string& reason);

// The reason of the latest failure on this thread since ForgetLoadFailure, or "".
const std::string& LastLoadFailure();
void ForgetLoadFailure();

}  // namespace d3dx

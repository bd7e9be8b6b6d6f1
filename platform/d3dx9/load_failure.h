// Why the latest texture or mesh failed to load from a file, or a texture to be made, on this
// thread. The reason is printed on stderr as it happens and kept, so that a caller that knows
// where the file or texture was named (a script line, for --check) can report it there too.
#pragma once

#include <string>

namespace d3dx {

// Prints `D3DX: cannot load <what> "<file>": <reason>` on stderr and keeps the reason.
void ReportLoadFailure(const char* what, const char* file, const std::string& reason);
// Prints `D3DX: <failure>: <reason>` on stderr and keeps the reason.
void ReportFailure(const std::string& failure, const std::string& reason);

// The reason of the latest failure on this thread since ForgetLoadFailure, or "".
const std::string& LastLoadFailure();
void ForgetLoadFailure();

}  // namespace d3dx

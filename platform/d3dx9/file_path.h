// Finds files named the Windows way: scripts and .x files written on Windows use
// backslashes and whatever letter case the author typed, and Linux file systems care.
#pragma once

#include <string>

namespace d3dx {

// The path as given when it exists; otherwise with backslashes as separators and each
// component matched without regard to case. Falls back to the slash form when nothing matches.
std::string ResolvePath(const std::string& path);

}  // namespace d3dx

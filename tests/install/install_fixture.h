// One installation for the tests of a program: `cmake --install` of this build into a
// temporary prefix, made once and removed at the end.
#pragma once

#include <string>

namespace vexil::test {

// The prefix of the installation; fails the calling test (and answers "") when it could not
// be made.
const std::string& InstalledPrefix();

// The environment a user of the installation has: no library path that could reach the
// build tree.
void ForgetBuildLibraryPath();

}  // namespace vexil::test

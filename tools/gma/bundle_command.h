// "vexil-gma bundle": a demo in one file, the script at the top of a zip archive and exactly
// the files it refers to in their folders beside it.
#pragma once

namespace vexil {

// `argc`/`argv` start after the word "bundle": [--list] SCRIPT [OUT]. The exit status.
int RunBundleCommand(int argc, char** argv);

}  // namespace vexil

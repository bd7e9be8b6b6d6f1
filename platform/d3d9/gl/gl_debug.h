// GL debug output (KHR_debug, core in 4.3): in debug builds, or with VEXIL_GL_DEBUG=1 in the
// environment, the driver's messages go to stderr, each message id once.
#pragma once

#include "d3d9/gl/gl_context.h"

namespace vexil::d3d9 {

// Installs the callback on the current context when the driver offers debug output.
void InstallGlDebugOutput(const GlContext& context);

}  // namespace vexil::d3d9

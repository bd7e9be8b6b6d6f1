// The OpenGL functions ImGui's OpenGL 3 backend calls, declared by the system's GL headers and
// resolved by libGL, as the graphics layer's own are. Forced into the backend's compile in
// place of the loader Debian's ImGui 1.86 ships (imgui_impl_opengl3_loader.h), whose function
// table is one entry shorter than the list of names it fills it from.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

// The OpenGL 3.3 core entry points the GL backend calls, linked directly from libGL
// (GL_GLEXT_PROTOTYPES), and SDL for windows and contexts. Only gl/ includes this.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

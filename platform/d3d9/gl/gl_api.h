// The OpenGL entry points the GL backend calls, and SDL for windows and contexts. Only gl/
// includes this. Natively that is OpenGL 3.3 core, linked directly from libGL
// (GL_GLEXT_PROTOTYPES); the browser build (VEXIL_GLES) speaks OpenGL ES 3.0, which is
// WebGL 2, and the few places where the two differ say so where they are.
#pragma once

#ifdef VEXIL_GLES
#include <GLES3/gl3.h>
#else
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#endif
#include <SDL.h>

namespace vexil::d3d9::gl_compat {

// The calls whose names or arguments differ between OpenGL 3.3 and OpenGL ES 3.0.
inline void ClearDepth(float depth) {
#ifdef VEXIL_GLES
  glClearDepthf(depth);
#else
  glClearDepth(depth);
#endif
}

// One draw buffer of a framebuffer object (GL_COLOR_ATTACHMENT0 or GL_NONE).
inline void DrawBuffer(GLenum buffer) {
  glDrawBuffers(1, &buffer);
}

// Pixel rows as textures take them: D3D's B, G, R, A bytes natively; GL ES has no BGRA
// uploads, so there the rows are converted to R, G, B, A first.
#ifdef VEXIL_GLES
constexpr GLenum kUploadFormat = GL_RGBA;
#else
constexpr GLenum kUploadFormat = GL_BGRA;
#endif

}  // namespace vexil::d3d9::gl_compat

// The debug-output callback: the driver reports errors, undefined behaviour and slow paths it
// sees, which is where a wrong enum or a software fallback shows first. Message ids repeat
// every frame, so each is printed once.
#include "d3d9/gl/gl_debug.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace vexil::d3d9 {

#if !defined(VEXIL_GLES) && defined(GL_DEBUG_OUTPUT)
namespace {

const char* SeverityName(GLenum severity) {
  switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH:
      return "high";
    case GL_DEBUG_SEVERITY_MEDIUM:
      return "medium";
    case GL_DEBUG_SEVERITY_LOW:
      return "low";
    default:
      return "note";
  }
}

void GLAPIENTRY PrintOnce(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei,
                          const GLchar* message, const void*) {
  // One set for the process: the ids are the driver's, whichever context reports them.
  static std::mutex mutex;
  static std::unordered_set<unsigned long long> seen;
  const unsigned long long tag = (static_cast<unsigned long long>(source) << 48) ^
                                 (static_cast<unsigned long long>(type) << 32) ^ id;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!seen.insert(tag).second) return;
  }
  std::fprintf(stderr, "vexil d3d9: GL debug (%s, id %u): %s\n", SeverityName(severity), id,
               message);
}

bool Wanted() {
#ifndef NDEBUG
  return true;
#else
  const char* flag = std::getenv("VEXIL_GL_DEBUG");
  return flag && *flag && *flag != '0';
#endif
}

}  // namespace

void InstallGlDebugOutput(const GlContext& context) {
  if (!Wanted()) return;
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  if (major * 10 + minor < 43 && !context.HasExtension("GL_KHR_debug")) return;
  // Looked up at run time: a 3.3 driver need not export the entry point at all.
  using Install = void(GLAPIENTRY*)(GLDEBUGPROC, const void*);
  auto install = reinterpret_cast<Install>(SDL_GL_GetProcAddress("glDebugMessageCallback"));
  if (!install) return;
  glEnable(GL_DEBUG_OUTPUT);
  glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);  // the message arrives inside the call that caused it
  install(PrintOnce, nullptr);
}
#else
void InstallGlDebugOutput(const GlContext&) {}
#endif

}  // namespace vexil::d3d9

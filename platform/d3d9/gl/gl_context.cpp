// SDL2 context creation: 3.3 core (or ES 3.0) attributes set before SDL_GL_CreateContext, and a
// hidden window when the caller has none (SDL_VIDEODRIVER=offscreen gives EGL on llvmpipe).
#include "d3d9/gl/gl_context.h"

#include <cstring>

#include "system/video.h"

namespace vexil::d3d9 {

std::unique_ptr<GlContext> GlContext::Create(SDL_Window* window, int width, int height,
                                             std::string* error) {
  std::unique_ptr<GlContext> ctx(new GlContext);
  if (!vexil::sys::InitVideo(error)) return nullptr;
  ctx->quitVideo_ = true;
#ifdef VEXIL_GLES
  // OpenGL ES 3.0 is WebGL 2 in a browser.
  constexpr int kMajor = 3, kMinor = 0;
  constexpr const char* kApi = "OpenGL ES 3.0";
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
#else
  constexpr int kMajor = 3, kMinor = 3;
  constexpr const char* kApi = "OpenGL 3.3 core";
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
#endif
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, kMajor);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, kMinor);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // Every target is a framebuffer object; the window only receives the final blit.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  // A multisampled window could not receive the blit of the back buffer (GL ES forbids it).
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
  if (!window) {
    window = SDL_CreateWindow("vexil", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                              width > 0 ? width : 64, height > 0 ? height : 64,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window) {
      *error = std::string("cannot create a hidden GL window: ") + SDL_GetError();
      return nullptr;
    }
    ctx->ownsWindow_ = true;
  }
  ctx->window_ = window;
  ctx->context_ = SDL_GL_CreateContext(window);
  if (!ctx->context_) {
    *error = std::string("cannot create an ") + kApi + " context: " + SDL_GetError();
    return nullptr;
  }
  SDL_GL_MakeCurrent(window, ctx->context_);
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  if (major * 10 + minor < kMajor * 10 + kMinor) {
    *error = std::string(kApi) + " is required, the driver offers " + std::to_string(major) + "." +
             std::to_string(minor);
    return nullptr;
  }
  return ctx;
}

GlContext::~GlContext() {
  if (context_) SDL_GL_DeleteContext(context_);
  if (ownsWindow_ && window_) SDL_DestroyWindow(window_);
  if (quitVideo_) vexil::sys::QuitVideo();
}

void GlContext::MakeCurrent() {
  if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
}

void GlContext::SetSwapInterval(int interval) {
  MakeCurrent();
  if (SDL_GL_SetSwapInterval(interval) != 0 && interval != 0) {
    // Adaptive or plain vsync may be refused (offscreen drivers); present unthrottled then.
    SDL_GL_SetSwapInterval(0);
  }
}

void GlContext::Swap() {
  SDL_GL_SwapWindow(window_);
}

void GlContext::DrawableSize(int* width, int* height) const {
  SDL_GL_GetDrawableSize(window_, width, height);
}

bool GlContext::HasExtension(const char* name) const {
  GLint count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &count);
  for (GLint i = 0; i < count; ++i) {
    const char* ext = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i));
    if (ext && std::strcmp(ext, name) == 0) return true;
  }
  return false;
}

}  // namespace vexil::d3d9

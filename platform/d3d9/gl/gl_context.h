// An OpenGL 3.3 core context through SDL2: on the caller's window (an SDL_Window* made with
// SDL_WINDOW_OPENGL) or, for headless use, on a hidden window of its own.
#pragma once

#include <memory>
#include <string>

#include "d3d9/gl/gl_api.h"

namespace vexil::d3d9 {

class GlContext {
 public:
  // window may be null. Fills error and answers null when no 3.3 core context can be made.
  static std::unique_ptr<GlContext> Create(SDL_Window* window, int width, int height,
                                           std::string* error);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes this context current on the calling thread if it is not already.
  void MakeCurrent();
  SDL_Window* Window() const { return window_; }
  bool OwnsWindow() const { return ownsWindow_; }
  // 1 waits for the vertical retrace at every swap, 0 does not.
  void SetSwapInterval(int interval);
  void Swap();
  void DrawableSize(int* width, int* height) const;
  bool HasExtension(const char* name) const;

 private:
  GlContext() = default;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  bool ownsWindow_ = false;
  bool quitVideo_ = false;
};

}  // namespace vexil::d3d9

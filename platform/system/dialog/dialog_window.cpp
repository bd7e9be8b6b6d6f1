// The dialog window over SDL2, OpenGL 3.3 and ImGui's SDL2 and OpenGL3 backends.
#include "system/dialog/dialog_window.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

#include "system/keys.h"
#include "system/video.h"

namespace vexil {
namespace sys {

bool DialogWindow::Open(const std::string& caption, int width, int height,
                        const std::vector<uint8_t>& icon_rgba, int icon_size, std::string* error) {
  if (!InitVideo(error)) return false;
  video_ = true;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* window =
      SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                       height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  window_ = window;
  context_ = window ? SDL_GL_CreateContext(window) : nullptr;
  if (context_ == nullptr) {
    if (error) *error = std::string("cannot open its window: ") + SDL_GetError();
    Close();
    return false;
  }
  SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context_));
  SDL_GL_SetSwapInterval(1);
  if (icon_size > 0 && icon_rgba.size() >= static_cast<size_t>(icon_size) * icon_size * 4) {
    SDL_Surface* icon =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(icon_rgba.data()), icon_size,
                                           icon_size, 32, icon_size * 4, SDL_PIXELFORMAT_RGBA32);
    if (icon) {
      SDL_SetWindowIcon(window, icon);
      SDL_FreeSurface(icon);
    }
  }
  ImGui_ImplSDL2_InitForOpenGL(window, context_);
  ImGui_ImplOpenGL3_Init("#version 330 core");
  backends_ = true;
  SDL_SetWindowHitTest(
      window,
      [](SDL_Window*, const SDL_Point* point, void* data) -> SDL_HitTestResult {
        const Drag* drag = static_cast<const Drag*>(data);
        if (drag->no_drag) return SDL_HITTEST_NORMAL;
        for (const DialogRect& r : drag->controls) {
          const SDL_Rect rect{r.x, r.y, r.width, r.height};
          if (SDL_PointInRect(point, &rect)) return SDL_HITTEST_NORMAL;
        }
        return SDL_HITTEST_DRAGGABLE;
      },
      &drag_);
  return true;
}

void DialogWindow::Show() {
  if (!window_) return;
  SDL_ShowWindow(static_cast<SDL_Window*>(window_));
  SDL_RaiseWindow(static_cast<SDL_Window*>(window_));
}

void DialogWindow::PumpEvents(int timeout_ms,
                              const std::function<bool(const DialogEvent&)>& handle) {
  SDL_Window* window = static_cast<SDL_Window*>(window_);
  SDL_Event e;
  if (!SDL_WaitEventTimeout(&e, timeout_ms)) return;
  do {
    ImGui_ImplSDL2_ProcessEvent(&e);
    DialogEvent event;
    bool answer = false;
    if (e.type == SDL_QUIT ||
        (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE &&
         e.window.windowID == SDL_GetWindowID(window))) {
      event.kind = DialogEvent::kClose;
      answer = true;
    } else if (e.type == SDL_KEYDOWN) {
      event.kind = DialogEvent::kKey;
      event.virtual_key = VirtualKeyFromSdlKeycode(e.key.keysym.sym);
      event.shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
      event.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
      answer = event.virtual_key != 0;
    }
    if (answer && !handle(event)) return;
  } while (SDL_PollEvent(&e));
}

void DialogWindow::SetControls(std::vector<DialogRect> controls, bool no_drag) {
  drag_.controls = std::move(controls);
  drag_.no_drag = no_drag;
}

void DialogWindow::BeginFrame() {
  ImGui_ImplOpenGL3_NewFrame();
  ImGui_ImplSDL2_NewFrame();
}

void DialogWindow::EndFrame(float red, float green, float blue) {
  SDL_Window* window = static_cast<SDL_Window*>(window_);
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window, &w, &h);
  glViewport(0, 0, w, h);
  glClearColor(red, green, blue, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
  SDL_GL_SwapWindow(window);
}

void DialogWindow::Close() {
  SDL_Window* window = static_cast<SDL_Window*>(window_);
  if (window) SDL_SetWindowHitTest(window, nullptr, nullptr);
  if (backends_) {
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    backends_ = false;
  }
  if (context_) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  context_ = nullptr;
  if (window) SDL_DestroyWindow(window);
  window_ = nullptr;
  if (video_) {
    SDL_GL_ResetAttributes();  // the demo's device asks for its own context
    QuitVideo();
    video_ = false;
  }
}

}  // namespace sys
}  // namespace vexil

// A small window of its own for a Dear ImGui dialog (the player's setup dialog): the SDL
// window, its OpenGL 3.3 context and ImGui's SDL2 and OpenGL3 backends. The caller creates the
// ImGui context and draws its widgets between BeginFrame and EndFrame; events come back as
// platform-neutral keys. Built as a static library linked into the program that draws the
// dialog, so the backends share that program's one ImGui context.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vexil {
namespace sys {

struct DialogRect {
  int x, y, width, height;
};

// What the dialog answers itself; ImGui has seen every event already.
struct DialogEvent {
  enum Kind { kClose, kKey } kind = kKey;
  int virtual_key = 0;  // kKey: the VK code (system/keys.h); keypad Enter is kVkReturn
  bool shift = false;
  bool alt = false;
};

class DialogWindow {
 public:
  DialogWindow() = default;
  ~DialogWindow() { Close(); }
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Opens the hidden window centred on the desktop, with the square RGBA icon, makes its GL
  // context current and starts ImGui's backends (the ImGui context must exist). False with
  // the reason in *error when the window or its context cannot be made.
  bool Open(const std::string& caption, int width, int height,
            const std::vector<uint8_t>& icon_rgba, int icon_size, std::string* error);
  void Show();  // shows and raises the window

  // Waits up to `timeout_ms` for events, gives each to ImGui and to `handle`, which answers
  // false to stop taking events for now.
  void PumpEvents(int timeout_ms, const std::function<bool(const DialogEvent&)>& handle);

  // A press on the window's background drags it; on these rectangles (the controls) it does
  // not, and nowhere while `no_drag` (a list dropped down over the background).
  void SetControls(std::vector<DialogRect> controls, bool no_drag);

  void BeginFrame();  // the backends' new frame; then ImGui::NewFrame and the widgets
  // After ImGui::Render: clears to the colour, draws ImGui's lists and shows the frame.
  void EndFrame(float red, float green, float blue);

  // Stops the backends and closes the window; the ImGui context stays the caller's.
  void Close();

 private:
  struct Drag {
    std::vector<DialogRect> controls;
    bool no_drag = false;
  };
  void* window_ = nullptr;   // SDL_Window*
  void* context_ = nullptr;  // SDL_GLContext
  bool video_ = false;
  bool backends_ = false;
  Drag drag_;
};

}  // namespace sys
}  // namespace vexil

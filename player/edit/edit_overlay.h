// What edit mode draws over the demo: the overlay lines (time, frame rate, loop, the modules
// playing) at the top left and the errors of a failed reload at the bottom, in the graphics
// layer's own font, so that they show in the window and in screenshots alike.
#pragma once

#include <string>
#include <vector>

#include "d3d9/com_ptr.h"
#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9.h"

namespace vexil {

struct OverlayLine {
  std::string text;
  D3DCOLOR color = 0xFFFFFFFF;
};

// Colours of the overlay's kinds of line.
constexpr D3DCOLOR kOverlayText = 0xFFFFFFFF;
constexpr D3DCOLOR kOverlayQuiet = 0xFFB0B0B0;
constexpr D3DCOLOR kOverlayError = 0xFFFF5050;
constexpr D3DCOLOR kOverlayNote = 0xFFFFD040;
constexpr D3DCOLOR kBackingColor = 0xFF181014;

class EditOverlay {
 public:
  explicit EditOverlay(IDirect3DDevice9* device);
  EditOverlay(const EditOverlay&) = delete;
  EditOverlay& operator=(const EditOverlay&) = delete;

  // Draws `top` from the top left corner down and `bottom` up from the bottom left corner of a
  // `width` x `height` target (the bottom block on a dark box across the target), each line
  // over a dark shadow so that it reads on any picture and
  // wrapped at blanks where it would pass the right edge. Nothing happens when the font could
  // not be made.
  void Draw(const std::vector<OverlayLine>& top, const std::vector<OverlayLine>& bottom, int width,
            int height);

 private:
  // Fills the rectangle behind the bottom lines, so that they read over any picture.
  void DrawBacking(int left, int top, int right, int bottom);
  // Draws a line from (x, y), wrapped before `right`; returns the height it took.
  int DrawLine(const std::string& text, D3DCOLOR color, int x, int y, int right);
  // The height a line takes when wrapped before `right`.
  int Measure(const std::string& text, int right);

  IDirect3DDevice9* device_;
  Com<ID3DXFont> font_;
};

// "1:23.456": a demo time in minutes, seconds and milliseconds.
std::string FormatDemoTime(double ms);

}  // namespace vexil

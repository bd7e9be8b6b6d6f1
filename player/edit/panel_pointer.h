// The mouse as the timeline panel needs it, in back-buffer pixels (the window may show the
// picture scaled).
#pragma once

namespace vexil {

struct PanelPointer {
  float x = -1.0f, y = -1.0f;  // -1, -1 when the pointer is outside the window
  bool down = false;           // the left button
  float wheel = 0.0f;          // wheel steps since the last reading, away from the user > 0
};

// The pointer now; the wheel is counted from the first reading on.
PanelPointer ReadPanelPointer(int target_width, int target_height);

}  // namespace vexil

// The overlay's text in edit mode: the demo time, the frame rate, whether the picture follows
// the music's clock, the loop section and every module active at this moment with its local
// time, named by its script element and line. Composed from plain values, so that what the overlay
// says can be tested without a window.
#pragma once

#include <string>
#include <vector>

#include "demo_parts.h"
#include "edit_overlay.h"
#include "transport.h"

namespace vexil {

struct EditStatus {
  double time_ms = 0.0;
  double frame_rate = 0.0;
  bool paused = false;
  bool music_clock = false;
  LoopSection loop;
};

// The overlay's lines for `status` over `demo`: a line of time, rate and clock, a line for the
// loop, then one line per active module (start <= time <= end) in render order.
std::vector<OverlayLine> StatusLines(const EditStatus& status, const DemoParts& demo);

// What a failed reload of `script` said (red) and the notes of the latest build (yellow), for
// the bottom of the window.
std::vector<OverlayLine> MessageLines(const std::vector<std::string>& problems,
                                      const std::vector<std::string>& notes,
                                      const std::string& script = std::string());

// "black (clearscreen) :84": a module by its script element, its type and the element's line.
std::string ModuleName(const DemoParts& demo, const CModule* module);

}  // namespace vexil

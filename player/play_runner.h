// Play mode, as a person runs the player: the demo in its window against the real-time clock
// until its last module ends, Escape is pressed or the window is closed.
#pragma once

#include "player_settings.h"

class CTimeline;

namespace vexil {

// With `loop`, the demo starts again from its start time when it ends, until Escape.
void RunPlay(void* window, const PlayerSettings& settings, bool loop, CTimeline* timeline);

}  // namespace vexil

// Play mode, as a person runs the player: the demo in its window against the real-time clock
// until its last module ends, Escape is pressed or the window is closed.
#pragma once

#include "player_settings.h"

class CTimeline;

namespace vexil {

void RunPlay(void* window, const PlayerSettings& settings, CTimeline* timeline);

}  // namespace vexil

// The player's loop in a web page: the demo plays as natively (the picture follows the music's
// clock, the demo ends after its last module, Escape ends it), and the page may also seek and
// pause it (Module.vexilTransport): a link may open the demo paused at a moment, and the
// browser test reads frames at chosen demo times. A seek moves the one demo time the picture
// and the music both follow.
#pragma once

#include "player_settings.h"

class CTimeline;

namespace vexil {

// Plays the demo of `timeline` in `window` until it ends, Escape is pressed or the page closes.
void RunPageSession(void* window, const PlayerSettings& settings, CTimeline* timeline);

}  // namespace vexil

// The live main loop: events first, then a frame when the frame-rate limit allows one.
#include "play_runner.h"

#include "frame_limiter.h"
#include "live_clock.h"
#include "system/clock.h"
#include "system/desktop.h"
#include "system/events.h"
#include "system/keys.h"
#include "system/stop_signal.h"
#include "system/window.h"
#include "timeline/timeline.h"

#ifdef __EMSCRIPTEN__
#include "web/page_session.h"
#endif

namespace vexil {

namespace {

// A frame-limited loop waiting this long or more for its next frame gives the time back to
// the system in small naps instead of spinning a core at full load.
constexpr float kNapThresholdMs = 2.0f;

}  // namespace

void RunPlay(void* window, const PlayerSettings& settings, bool loop, CTimeline* timeline) {
#ifdef __EMSCRIPTEN__
  // In a web page the page may seek and pause the demo as well.
  RunPageSession(window, settings, timeline);
  return;
#endif
  sys::ShowAppWindow(window);
  sys::HideMouseCursor(true);
  sys::RefuseScreenSaver();
  // The picture follows the music's clock while music plays, the wall clock otherwise.
  LiveClock clock;
  FrameLimiter limiter(settings.fpslimiter, settings.framerate);
  PlaybackTime playback(settings.starttime, loop);
  for (;;) {
    const double reading = clock.Now();
    const float now = playback.At(reading);
    if (StopSignalReceived()) {
      AcknowledgeStop();
      break;
    }
    sys::Event event;
    if (sys::PollEvent(&event)) {
      // Closing the window or pressing Escape ends the demo; no frame in this iteration.
      if (event.kind == sys::EventKind::kQuit) break;
      if (event.kind == sys::EventKind::kKeyDown && event.virtual_key == VK_ESCAPE) break;
      continue;
    }
    if (!limiter.ShouldRender(now)) {
      if (limiter.TimeUntilNextFrame(now) >= kNapThresholdMs) sys::SleepMilliseconds(1);
      continue;
    }
    if (!timeline->Render(now)) {
      // The timeline has ended every module (the music stops); looping starts them again.
      if (!playback.StartAgain(reading)) break;
      limiter = FrameLimiter(settings.fpslimiter, settings.framerate);
      continue;
    }
    limiter.FrameRendered(now);
  }
  sys::HideMouseCursor(false);
  sys::AllowScreenSaver();
}

}  // namespace vexil

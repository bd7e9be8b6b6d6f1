// The page's transport commands applied to the running demo, the way edit mode applies its
// keys: a seek starts every module afresh at the new time (the music seeks with them), a
// pause freezes the demo time and the music.
#include "page_session.h"

#include <emscripten.h>

#include <limits>

#include "edit/transport.h"
#include "frame_limiter.h"
#include "fsound/fsound.h"
#include "live_clock.h"
#include "system/browser.h"
#include "system/clock.h"
#include "system/desktop.h"
#include "system/events.h"
#include "system/keys.h"
#include "system/window.h"
#include "timeline/timeline.h"

namespace vexil {

namespace {

// A frame-limited loop waiting this long or more for its next frame gives the browser its turn.
constexpr float kNapThresholdMs = 2.0f;

void SetMusicPaused(bool paused) {
  // Fails quietly when no music module started the sound system.
  FSOUND_SetPaused(FSOUND_ALL, paused ? 1 : 0);
}

// Applies `command` at clock time `clock_ms`; true when the demo time jumped.
bool Follow(const sys::PageCommand& command, Transport* transport, double clock_ms) {
  switch (command.kind) {
    case sys::PageCommandKind::kSeek:
      transport->SeekTo(command.ms, clock_ms);
      return true;
    case sys::PageCommandKind::kPause:
      transport->Pause(clock_ms);
      SetMusicPaused(true);
      return false;
    case sys::PageCommandKind::kPlay:
      transport->Resume(clock_ms);
      SetMusicPaused(false);
      return false;
  }
  return false;
}

}  // namespace

// The music clock the picture follows, in milliseconds (-1 while there is none), for the page:
// the browser test compares it with what the browser's sound output plays.
extern "C" EMSCRIPTEN_KEEPALIVE double vexil_music_clock_ms() {
  int64_t frame = 0;
  const int rate = FSOUND_GetOutputRate();
  if (rate <= 0 || VexilSound_GetClock(&frame, nullptr) == 0) return -1.0;
  return static_cast<double>(frame) * 1000.0 / rate;
}

void RunPageSession(void* window, const PlayerSettings& settings, CTimeline* timeline_ptr) {
  sys::ShowAppWindow(window);
  sys::HideMouseCursor(true);
  sys::RefuseScreenSaver();
  CTimeline& timeline = *timeline_ptr;
  // The picture follows the music's clock while music plays, the wall clock otherwise.
  LiveClock clock;
  // No end of its own: as natively, the demo ends when the timeline has no more to draw.
  Transport transport(settings.starttime, std::numeric_limits<double>::max(), clock.Now());
  FrameLimiter limiter(settings.fpslimiter, settings.framerate);
  for (;;) {
    sys::Event event;
    if (sys::PollEvent(&event)) {
      if (event.kind == sys::EventKind::kQuit) break;
      if (event.kind == sys::EventKind::kKeyDown && event.virtual_key == VK_ESCAPE) break;
      continue;
    }
    const double now = clock.Now();
    sys::PageCommand command;
    bool jumped = false;
    while (sys::TakePageCommand(&command)) jumped = Follow(command, &transport, now) || jumped;
    if (jumped) {
      timeline.Restart();
      limiter = FrameLimiter(settings.fpslimiter, settings.framerate);
    }
    const float t = static_cast<float>(transport.Time(now));
    if (!transport.Paused() && !limiter.ShouldRender(t)) {
      if (limiter.TimeUntilNextFrame(t) >= kNapThresholdMs) sys::SleepMilliseconds(1);
      continue;
    }
    sys::TellPageFrameTime(t);
    if (!timeline.Render(t)) break;
    // A module that started while paused (after a seek) started its music: keep it quiet.
    if (transport.Paused()) SetMusicPaused(true);
    limiter.FrameRendered(t);
  }
  sys::HideMouseCursor(false);
  sys::AllowScreenSaver();
}

}  // namespace vexil

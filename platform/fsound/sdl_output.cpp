// SDL2 audio device for real-time playback; the callback only mixes decoded blocks, which the
// feeder thread decodes ahead.
#include "sdl_output.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "fsound/fsound.h"
#include "mixer.h"

namespace vexil::fsound {

namespace {

#ifdef __EMSCRIPTEN__
// A browser has one thread for the page, the demo and the sound: the device callback runs
// between frames and decodes what it mixes, and its buffer (~93 ms) outlasts a slow frame.
constexpr Uint16 kDeviceFrames = 4096;

void SDLCALL FillDevice(void* userdata, Uint8* stream, int len) {
  DecodeAndRender(*static_cast<Mixer*>(userdata), reinterpret_cast<int16_t*>(stream),
                  len / (2 * static_cast<int>(sizeof(int16_t))));
}

// What is heard lags far behind what is mixed in a browser: SDL fills a ScriptProcessorNode's
// buffer, which the browser plays one buffer later, and the context's output stage adds its own
// latency; SDL may also hold part of a mix while it converts to the context's rate. Counting
// mixed frames put the picture two buffers and the latency (~225 ms) ahead of the music. So
// the clock is the mix frame at the context's output position (getOutputTimestamp).
//
// The buffers play back to back, so mix frames and context time are tied by one offset: the
// context time at which mix frame 0 plays. Each buffer's event tells it (playbackTime less the
// buffer's first mix frame), but late: the event runs when the page's thread is free and reads
// the context's time then, tens of ms late after a slow frame. The earliest of the last few
// buffers is the estimate; after a gap in the sound (the page was too busy to fill a buffer in
// time) the later offset takes over within those few buffers.
constexpr int kOffsetWindow = 6;  // buffers, about half a second

// Called once the device is open, before its first callback.
EM_JS(void, WatchPlayback, (int mix_rate, int buffers), {
  var audio = Module.SDL2 && Module.SDL2.audio;
  var node = audio && audio.scriptProcessorNode;
  if (!node) return;
  var fill = node.onaudioprocess;
  var ratio = mix_rate / Module.SDL2.audioContext.sampleRate;
  // next: the mix frame the next buffer begins with; offsets: the latest buffers' estimates.
  var playback = audio.vexilPlayback = {next : 0, offsets : []};
  node.onaudioprocess = function(e) {
    fill(e);
    playback.offsets.push(e.playbackTime - playback.next / mix_rate);
    if (playback.offsets.length > buffers) playback.offsets.shift();
    playback.next += e.outputBuffer.length * ratio;
  };
});

// The mix frame being heard now; 0 until the first buffer is heard, and never beyond what has
// been handed to the browser (the clock stands still while the browser plays silence).
EM_JS(double, HeardFrame, (int mix_rate), {
  var sdl = Module.SDL2;
  var playback = sdl && sdl.audio && sdl.audio.vexilPlayback;
  if (!playback || playback.offsets.length == 0) return 0;
  var context = sdl.audioContext;
  var now = -1;
  if (context.getOutputTimestamp) {
    // The context time at the output now, projected from the browser's latest report.
    var stamp = context.getOutputTimestamp();
    if (stamp.performanceTime > 0) {
      now = stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000;
    }
  }
  if (now < 0)
    now = context.currentTime - (context.outputLatency || 0) - (context.baseLatency || 0);
  var heard = (now - Math.min.apply(null, playback.offsets)) * mix_rate;
  return Math.min(playback.next, Math.max(0, heard));
});
#else
// 512 frames is ~12 ms at 44100 Hz: seeks and starts are heard promptly, and the feeder keeps
// hundreds of ms decoded ahead, so the small device buffer does not risk underruns.
constexpr Uint16 kDeviceFrames = 512;

void SDLCALL FillDevice(void* userdata, Uint8* stream, int len) {
  static_cast<Mixer*>(userdata)->Render(reinterpret_cast<int16_t*>(stream),
                                        len / (2 * static_cast<int>(sizeof(int16_t))));
}
#endif

}  // namespace

int SdlOutput::Start(Mixer& mixer) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "vexil sound: cannot start SDL audio: %s\n", SDL_GetError());
    return FMOD_ERR_INIT;
  }
  subsystem_started_ = true;
  SDL_AudioSpec want{};
  want.freq = mixer.rate();
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = kDeviceFrames;
  want.callback = FillDevice;
  want.userdata = &mixer;
  SDL_AudioSpec have{};
  // No allowed changes: SDL converts our format and rate to the device's own.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    std::fprintf(stderr, "vexil sound: cannot open audio device: %s\n", SDL_GetError());
    Stop();
    return FMOD_ERR_INIT;
  }
  device_frames_ = have.samples > 0 ? have.samples : kDeviceFrames;
#ifdef __EMSCRIPTEN__
  WatchPlayback(mixer.rate(), kOffsetWindow);
#else
  feeder_ = std::make_unique<Feeder>(mixer);
#endif
  SDL_PauseAudioDevice(device_, 0);
  return FMOD_ERR_NONE;
}

bool SdlOutput::Clock(const Mixer::ClockReading& reading, int rate, int64_t* frame) {
  if (device_ == 0) return false;
#ifdef __EMSCRIPTEN__
  // The frame heard now. Stamps taken from it fall in frames already mixed (they are queued in
  // the browser): a start or seek skips those, so the music heard and the picture still agree.
  *frame = std::min(static_cast<int64_t>(HeardFrame(rate)), reading.rendered);
  return true;
#else
  // The callback renders a buffer at once, which the device then plays over one buffer's time:
  // between callbacks the clock moves on with the wall clock, never by more than one buffer, so
  // it neither runs ahead of a late device nor steps back when the next callback comes. Stamps
  // taken from it never lie in frames already rendered.
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - reading.at).count();
  const int64_t ahead = static_cast<int64_t>(elapsed * rate);
  *frame = reading.rendered + std::clamp<int64_t>(ahead, 0, device_frames_);
  return true;
#endif
}

void SdlOutput::Wake() {
  if (feeder_) feeder_->Wake();
}

void SdlOutput::Stop() {
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);  // waits for a running callback to return
    device_ = 0;
  }
  feeder_.reset();
  if (subsystem_started_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_started_ = false;
  }
}

}  // namespace vexil::fsound

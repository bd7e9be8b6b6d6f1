// SDL2 audio device for real-time playback; the callback only mixes decoded blocks, which the
// feeder thread decodes ahead.
#include "sdl_output.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

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
#ifndef __EMSCRIPTEN__
  feeder_ = std::make_unique<Feeder>(mixer);
#endif
  SDL_PauseAudioDevice(device_, 0);
  return FMOD_ERR_NONE;
}

bool SdlOutput::Clock(const Mixer::ClockReading& reading, int rate, int64_t* frame) {
  if (device_ == 0) return false;
  // The callback renders a buffer at once, which the device then plays over one buffer's time:
  // between callbacks the clock moves on with the wall clock, never by more than one buffer, so
  // it neither runs ahead of a late device nor steps back when the next callback comes. Stamps
  // taken from it never lie in frames already rendered.
  const double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - reading.at).count();
  const int64_t ahead = static_cast<int64_t>(elapsed * rate);
  *frame = reading.rendered + std::clamp<int64_t>(ahead, 0, device_frames_);
  return true;
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

// Where the mixed sound goes: one small interface with three drivers, picked once when the
// sound system starts (FSOUND_Init) from the output type the caller set.
//   SDL      - a real-time device: SDL's audio thread pulls the mixer, a feeder thread decodes
//   no sound - nothing is played or decoded; streams open and report their lengths
//   offline  - nothing runs by itself: the caller renders blocks on demand (captures), so the
//              result depends only on the calls made, never on timing
#pragma once

#include <cstdint>
#include <memory>

#include "fsound/mixer.h"

namespace vexil::fsound {

class Output {
 public:
  virtual ~Output() = default;
  // Starts the driver on `mixer`; an FMOD_ERRORS code (FMOD_ERR_NONE on success).
  virtual int Start(Mixer& mixer) = 0;
  // Stops everything the driver runs; the mixer is not used afterwards.
  virtual void Stop() = 0;
  // Something changed that wants decoding soon (a stream opened, a seek, a play).
  virtual void Wake() {}
  // Renders `frames` stereo frames into `out` for the caller; false when this driver does not
  // render on demand.
  virtual bool Render(int16_t* /*out*/, int /*frames*/) { return false; }
  // The sample clock now, from the mixer's latest `reading`: the mix frame the output takes
  // next, between two renders projected from the wall clock. False when the output has no clock
  // (nothing is ever rendered).
  virtual bool Clock(const Mixer::ClockReading& /*reading*/, int /*rate*/, int64_t* /*frame*/) {
    return false;
  }
  // Whether the clock runs by itself in real time (a device), not only when asked to render.
  virtual bool RealTime() const { return false; }
};

// The driver for an FSOUND_OUTPUT_ type: the offline one for FSOUND_OUTPUT_NOSOUND_NONREALTIME,
// the silent one for FSOUND_OUTPUT_NOSOUND, SDL for every other type (autodetect included).
std::unique_ptr<Output> MakeOutput(int output_type);

// Decodes each open stream just ahead of each block and mixes `frames` stereo frames into
// `out`, all on the calling thread: for drivers without a feeder thread (offline, and the
// browser's, where the page has one thread).
void DecodeAndRender(Mixer& mixer, int16_t* out, int frames);

}  // namespace vexil::fsound

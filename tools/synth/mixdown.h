// The mix-down of the demo tune: the arranged tracks through the kick's ducking, the echo and
// reverb sends and the master stage (DC removal, soft clipping, final level, closing fade).
#pragma once

#include <vector>

#include "dsp.h"
#include "song.h"

namespace synth {

struct Tracks {
  explicit Tracks(long frames)
      : drums(frames),
        snare(frames),
        bass(frames),
        pads(frames),
        lead(frames),
        arp(frames),
        fx(frames) {}
  Track drums, snare, bass, pads, lead, arp, fx;
  std::vector<double> kicks;  // times in seconds, for ducking
};

// Mixes `tracks` to stereo with its loudest peak at `peak`.
Mix MixDown(const Tracks& tracks, double peak);

}  // namespace synth

// The demo tune: "Vexil Drive", an A-minor electro piece at 128 BPM in 64 bars — intro, build,
// first drop, breakdown, second drop, outro — arranged and mixed to stereo float at 44100 Hz.
#pragma once

#include <vector>

namespace synth {

// The tempo: 128 beats a minute, four beats a bar, so a bar lasts 1.875 s and the 64 bars two
// minutes. The demo's script places its scene cuts on these times.
constexpr double kBeat = 60.0 / 128.0;
constexpr double kBar = 4.0 * kBeat;

struct Mix {
  std::vector<float> left, right;
};

// Renders the whole piece, mastered to a peak of `peak` (linear, below 1 to leave headroom for
// lossy encoding). Deterministic: the same samples on every run.
Mix RenderSong(double peak);

}  // namespace synth

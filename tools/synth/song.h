// The demo tune: "Vexil Drive", an A-minor electro piece at 128 BPM in 32 bars (intro, build,
// main part, outro), arranged and mixed to stereo float at 44100 Hz.
#pragma once

#include <vector>

namespace synth {

struct Mix {
  std::vector<float> left, right;
};

// Renders the whole piece, mastered to a peak of `peak` (linear, below 1 to leave headroom for
// lossy encoding). Deterministic: the same samples on every run.
Mix RenderSong(double peak);

}  // namespace synth

// The demo tune: "Vexil Drive", an A-minor electro piece at 128 BPM in 64 bars — intro, build,
// first drop, breakdown, second drop, outro — arranged and mixed to stereo float at 44100 Hz.
#pragma once

#include <cstdint>
#include <vector>

namespace synth {

// The tempo: 128 beats a minute unless SetSongOptions says otherwise, four beats a bar, so a
// bar lasts 1.875 s and the 64 bars two minutes. The demo's script places its scene cuts on
// these times.
constexpr double kDefaultBpm = 128.0;
constexpr int kSongBars = 64;
extern double kBeat;  // seconds per beat
extern double kBar;   // seconds per bar

struct SongOptions {
  double bpm = kDefaultBpm;
  // Variation of the noise instruments (snares, hats, crashes, risers); 0 is the demo's tune.
  uint32_t seed = 0;
};
// Sets the tempo and seed of the next RenderSong.
void SetSongOptions(const SongOptions& options);

struct Mix {
  std::vector<float> left, right;
};

// Renders the whole piece, mastered to a peak of `peak` (linear, below 1 to leave headroom for
// lossy encoding). Deterministic: the same samples on every run.
Mix RenderSong(double peak);

}  // namespace synth

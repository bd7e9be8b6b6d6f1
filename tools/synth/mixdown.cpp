// Mix-down of the demo tune: sidechain ducking from the kicks, shared echo and reverb sends,
// then the master stage.
#include "mixdown.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

// 1 between kicks, dipping right after each one: the sidechain pump of dance music.
std::vector<float> DuckingCurve(const std::vector<double>& kicks, long frames) {
  std::vector<float> gain(frames, 1.0f);
  for (double kick : kicks) {
    const long first = std::lround(kick * kRate);
    for (long i = 0; i < std::lround(0.3 * kRate) && first + i < frames; ++i) {
      const double dip = 0.55 * std::exp(-static_cast<double>(i) / kRate / 0.09);
      gain[first + i] = std::min(gain[first + i], static_cast<float>(1.0 - dip));
    }
  }
  return gain;
}

}  // namespace

Mix MixDown(const Tracks& t, double peak) {
  const long frames = t.drums.frames();
  // Sends: echoes on lead and arpeggio, one shared reverb.
  Track echoes(frames), reverb_in(frames), reverb_out(frames);
  PingPongDelay(t.lead, echoes, 0.75 * kBeat, 0.45, 0.35);
  PingPongDelay(t.arp, echoes, 0.75 * kBeat, 0.3, 0.25);
  const std::vector<float> duck = DuckingCurve(t.kicks, frames);
  for (long i = 0; i < frames; ++i) {
    reverb_in.left[i] = 0.6f * t.pads.left[i] + 0.5f * t.snare.left[i] + 0.45f * t.lead.left[i] +
                        0.3f * t.arp.left[i] + 0.4f * t.fx.left[i];
    reverb_in.right[i] = 0.6f * t.pads.right[i] + 0.5f * t.snare.right[i] +
                         0.45f * t.lead.right[i] + 0.3f * t.arp.right[i] + 0.4f * t.fx.right[i];
  }
  Reverb(reverb_in, reverb_out, 0.8, 0.4, 1.0);

  Mix mix;
  mix.left.resize(frames);
  mix.right.resize(frames);
  double loudest = 0.0;
  for (long i = 0; i < frames; ++i) {
    const double d = duck[i];
    const double l = 0.8 * t.drums.left[i] + 0.55 * t.snare.left[i] + 0.8 * d * t.bass.left[i] +
                     0.9 * d * t.pads.left[i] + 0.6 * d * t.arp.left[i] + 0.6 * t.lead.left[i] +
                     0.7 * t.fx.left[i] + echoes.left[i] + reverb_out.left[i];
    const double r = 0.8 * t.drums.right[i] + 0.55 * t.snare.right[i] + 0.8 * d * t.bass.right[i] +
                     0.9 * d * t.pads.right[i] + 0.6 * d * t.arp.right[i] + 0.6 * t.lead.right[i] +
                     0.7 * t.fx.right[i] + echoes.right[i] + reverb_out.right[i];
    mix.left[i] = static_cast<float>(l);
    mix.right[i] = static_cast<float>(r);
    loudest = std::max({loudest, std::fabs(l), std::fabs(r)});
  }

  // Remove any DC the soft clipper would otherwise turn into asymmetric distortion.
  for (std::vector<float>* side : {&mix.left, &mix.right}) {
    double previous_in = 0.0, previous_out = 0.0;
    for (float& sample : *side) {
      const double out = sample - previous_in + 0.9986 * previous_out;  // ~10 Hz high-pass
      previous_in = sample;
      previous_out = out;
      sample = static_cast<float>(out);
    }
  }
  loudest = 0.0;
  for (long i = 0; i < frames; ++i) {
    loudest = std::max({loudest, std::fabs(static_cast<double>(mix.left[i])),
                        std::fabs(static_cast<double>(mix.right[i]))});
  }

  // Master: bring the loudest peak to 1.3, round it off with a soft clipper (tanh), then set
  // the final peak. Drum transients lose a little, the body of the mix gains loudness.
  const double drive = loudest > 0.0 ? 1.3 / loudest : 1.0;
  const double ceiling = std::tanh(1.3);
  for (long i = 0; i < frames; ++i) {
    // A gentle fade over the last two seconds lets the tail end in silence.
    const double fade = std::min(1.0, static_cast<double>(frames - i) / (2.0 * kRate));
    mix.left[i] = static_cast<float>(std::tanh(mix.left[i] * drive) / ceiling * peak * fade);
    mix.right[i] = static_cast<float>(std::tanh(mix.right[i] * drive) / ceiling * peak * fade);
  }
  return mix;
}

}  // namespace synth

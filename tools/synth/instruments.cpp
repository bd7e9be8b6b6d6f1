// Note and drum renderers of the synthesizer.
#include "instruments.h"

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

long ToFrame(double seconds) {
  return std::lround(seconds * kRate);
}
double Seconds(long frame) {
  return static_cast<double>(frame) / kRate;
}

// Attack-decay-sustain-release level at time `t` into a note held for `length` seconds.
double Adsr(double t, double length, double attack, double decay, double sustain, double release) {
  double level;
  if (t < attack) {
    level = t / attack;
  } else if (t < attack + decay) {
    level = 1.0 - (1.0 - sustain) * (t - attack) / decay;
  } else {
    level = sustain;
  }
  if (t > length) {
    // Release from wherever the envelope was when the note was let go.
    const double held = Adsr(length, length + 1.0, attack, decay, sustain, release);
    level = held * std::max(0.0, 1.0 - (t - length) / release);
  }
  return level;
}

}  // namespace

void Kick(Track& track, double start, double velocity) {
  const long first = ToFrame(start);
  const long frames = ToFrame(0.45);
  Oscillator body(Oscillator::Shape::kSine);
  Noise click(7);
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    // Pitch falls from 160 Hz to 45 Hz: the punch, then the boom.
    const double hz = 45.0 + 115.0 * std::exp(-t * 28.0);
    const double amp = std::exp(-t * 7.0) * std::min(1.0, t * 2000.0);
    const double transient = click.Next() * std::exp(-t * 400.0) * 0.3;
    const double value = std::tanh(1.6 * body.Next(hz) * amp) + transient;
    track.Add(first + i, value * velocity, 0.0);
  }
}

void Snare(Track& track, double start, double velocity, uint32_t seed) {
  const long first = ToFrame(start);
  const long frames = ToFrame(0.3);
  Oscillator body(Oscillator::Shape::kTriangle);
  Noise noise(seed);
  Svf filter;
  const Svf::Coefficients hiss_filter = Svf::For(5200.0, 0.2);
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double tone = body.Next(185.0 + 60.0 * std::exp(-t * 40.0)) * std::exp(-t * 30.0);
    const double hiss = filter.Process(noise.Next(), hiss_filter).band * std::exp(-t * 16.0);
    track.Add(first + i, (0.55 * tone + 1.1 * hiss) * velocity, 0.05);
  }
}

void HiHat(Track& track, double start, double velocity, bool open, uint32_t seed) {
  const long first = ToFrame(start);
  const double decay = open ? 9.0 : 55.0;
  const long frames = ToFrame(open ? 0.35 : 0.08);
  Noise noise(seed);
  Svf filter;
  const Svf::Coefficients hiss = Svf::For(8000.0, 0.3);
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double value = filter.Process(noise.Next(), hiss).high * std::exp(-t * decay);
    track.Add(first + i, value * velocity, 0.25);
  }
}

void Crash(Track& track, double start, double velocity, uint32_t seed) {
  const long first = ToFrame(start);
  const long frames = ToFrame(2.2);
  Noise left_noise(seed), right_noise(seed * 31 + 1);
  Svf left_filter, right_filter;
  const Svf::Coefficients shimmer = Svf::For(6000, 0.1);
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double env = std::exp(-t * 2.2) * std::min(1.0, t * 500.0) * velocity;
    const long at = first + i;
    if (at >= track.frames()) break;
    track.left[at] +=
        static_cast<float>(left_filter.Process(left_noise.Next(), shimmer).high * env);
    track.right[at] +=
        static_cast<float>(right_filter.Process(right_noise.Next(), shimmer).high * env);
  }
}

void Impact(Track& track, double start, double velocity) {
  const long first = ToFrame(start);
  const long frames = ToFrame(2.0);
  Oscillator boom(Oscillator::Shape::kSine);
  Noise noise(4242);
  Svf filter;
  const Svf::Coefficients rumble_filter = Svf::For(400.0, 0.2);
  for (long i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double hz = 30.0 + 60.0 * std::exp(-t * 3.0);
    const double body = boom.Next(hz) * std::exp(-t * 1.8) * std::min(1.0, t * 800.0);
    const double rumble = filter.Process(noise.Next(), rumble_filter).low * std::exp(-t * 5.0);
    track.Add(first + i, (std::tanh(1.4 * body) + 0.8 * rumble) * velocity, 0.0);
  }
}

void Riser(Track& track, double start, double length, double velocity, uint32_t seed) {
  const long first = ToFrame(start);
  const long frames = ToFrame(length);
  Noise noise(seed);
  SweptSvf filter;
  auto cutoff = [frames](long i) {
    return 300.0 * std::pow(40.0, static_cast<double>(i) / frames);
  };
  for (long i = 0; i < frames; ++i) {
    const double x = static_cast<double>(i) / frames;  // 0..1 through the rise
    const double value = filter.Process(i, noise.Next(), 0.6, cutoff).band * x * x;
    track.Add(first + i, value * velocity, std::sin(x * 12.0) * 0.5);
  }
}

void Bass(Track& track, double start, double length, double note, double velocity) {
  const long first = ToFrame(start);
  const long frames = ToFrame(length + 0.05);
  const double hz = MidiToHz(note);
  Oscillator saw(Oscillator::Shape::kSaw), sub(Oscillator::Shape::kSine);
  SweptSvf filter;
  // The filter opens on each note and closes again: the bass "talks".
  auto cutoff = [](long i) { return 180.0 + 1400.0 * std::exp(-Seconds(i) * 14.0); };
  for (long i = 0; i < frames; ++i) {
    const double env = Adsr(Seconds(i), length, 0.004, 0.12, 0.75, 0.04);
    const double raw = 0.6 * saw.Next(hz) + 0.7 * sub.Next(hz);
    track.Add(first + i, filter.Process(i, raw, 0.35, cutoff).low * env * velocity, 0.0);
  }
}

void Pad(Track& track, double start, double length, double note, double velocity,
         double brightness) {
  const long first = ToFrame(start);
  const double release = 1.2;
  const long frames = ToFrame(length + release);
  const double hz = MidiToHz(note);
  // Three voices per side, a few cents apart; different start phases keep them from beating
  // in unison at the onset.
  const double detune[] = {-0.11, 0.0, 0.13};
  Oscillator left[] = {Oscillator(Oscillator::Shape::kSaw, 0.1),
                       Oscillator(Oscillator::Shape::kSaw, 0.6),
                       Oscillator(Oscillator::Shape::kSaw, 0.3)};
  Oscillator right[] = {Oscillator(Oscillator::Shape::kSaw, 0.8),
                        Oscillator(Oscillator::Shape::kSaw, 0.2),
                        Oscillator(Oscillator::Shape::kSaw, 0.5)};
  double left_hz[3], right_hz[3];
  for (int v = 0; v < 3; ++v) {
    left_hz[v] = hz * std::pow(2.0, (detune[v] - 0.03) / 12.0);
    right_hz[v] = hz * std::pow(2.0, (detune[v] + 0.03) / 12.0);
  }
  SweptSvf left_filter, right_filter;
  auto cutoff = [brightness](long i) {
    return (600.0 + 2600.0 * brightness) * (1.0 + 0.15 * std::sin(Seconds(i) * 1.7));
  };
  for (long i = 0; i < frames; ++i) {
    const long at = first + i;
    if (at >= track.frames()) break;
    const double env = Adsr(Seconds(i), length, 0.5, 0.8, 0.8, release) * velocity;
    double l = 0.0, r = 0.0;
    for (int v = 0; v < 3; ++v) {
      l += left[v].Next(left_hz[v]);
      r += right[v].Next(right_hz[v]);
    }
    track.left[at] += static_cast<float>(left_filter.Process(i, l / 3.0, 0.1, cutoff).low * env);
    track.right[at] += static_cast<float>(right_filter.Process(i, r / 3.0, 0.1, cutoff).low * env);
  }
}

void Lead(Track& track, double start, double length, double note, double velocity) {
  const long first = ToFrame(start);
  const long frames = ToFrame(length + 0.25);
  const double hz = MidiToHz(note);
  Oscillator saw(Oscillator::Shape::kSaw), square(Oscillator::Shape::kSquare, 0.25);
  SweptSvf filter;
  auto cutoff = [](long i) { return 1800.0 + 2500.0 * std::exp(-Seconds(i) * 6.0); };
  for (long i = 0; i < frames; ++i) {
    const double t = Seconds(i);
    const double env = Adsr(t, length, 0.01, 0.2, 0.7, 0.2);
    // Vibrato fades in on held notes only.
    const double vibrato = 1.0 + 0.006 * std::sin(2.0 * kPi * 5.5 * t) * std::min(1.0, t * 2.5);
    const double raw = 0.55 * saw.Next(hz * vibrato) + 0.45 * square.Next(hz * vibrato * 1.003);
    track.Add(first + i, filter.Process(i, raw, 0.25, cutoff).low * env * velocity, -0.1);
  }
}

void Pluck(Track& track, double start, double note, double velocity, double brightness,
           double pan) {
  const long first = ToFrame(start);
  const long frames = ToFrame(0.35);
  const double hz = MidiToHz(note);
  Oscillator saw(Oscillator::Shape::kSaw);
  SweptSvf filter;
  auto cutoff = [brightness](long i) {
    return 400.0 + 5000.0 * brightness * std::exp(-Seconds(i) * 25.0);
  };
  for (long i = 0; i < frames; ++i) {
    const double t = Seconds(i);
    const double env = std::exp(-t * 11.0) * std::min(1.0, t * 400.0);
    track.Add(first + i, filter.Process(i, saw.Next(hz), 0.4, cutoff).low * env * velocity, pan);
  }
}

}  // namespace synth

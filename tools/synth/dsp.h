// Building blocks of the synthesizer: deterministic noise, band-limited oscillators, a
// state-variable filter, and the stereo send effects (ping-pong delay, small plate reverb).
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

namespace synth {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

double MidiToHz(double note);

// Linear congruential white noise in [-1, 1]: same sequence on every run and machine.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  double Next();

 private:
  uint32_t state_;
};

// Naive waveform corrected by PolyBLEP at the discontinuities, so high notes do not alias.
class Oscillator {
 public:
  enum class Shape { kSaw, kSquare, kSine, kTriangle };
  explicit Oscillator(Shape shape, double phase = 0.0) : shape_(shape), phase_(phase) {}
  double Next(double hz);

 private:
  Shape shape_;
  double phase_;            // 0..1
  double triangle_ = -1.0;  // the integral of a square starting high begins at the trough
};

// Topology-preserving state-variable filter (Zavalishin): stable under fast cutoff sweeps.
class Svf {
 public:
  struct Out {
    double low, band, high;
  };
  // The coefficients for a cutoff and a resonance (0..1): worked out once where they hold
  // still or where two filters share them, since the tangent in them is the costly part.
  struct Coefficients {
    double a1, a2, a3, k;
  };
  static Coefficients For(double cutoff_hz, double resonance);
  Out Process(double in, const Coefficients& c);

 private:
  double ic1_ = 0.0, ic2_ = 0.0;
};

// A filter whose cutoff sweeps: the sweep is followed at a control rate of one new set of
// coefficients every kFrames samples (0.36 ms), far finer than any sweep can be heard and a
// sixteenth of the cost of following it sample by sample.
class SweptSvf {
 public:
  static constexpr long kFrames = 16;
  // Filters `in`, the `i`-th sample of the sweep; `cutoff_hz(i)` is asked for the cutoff only
  // when the coefficients are due.
  template <typename Cutoff>
  Svf::Out Process(long i, double in, double resonance, Cutoff cutoff_hz) {
    if (i % kFrames == 0) coefficients_ = Svf::For(cutoff_hz(i), resonance);
    return filter_.Process(in, coefficients_);
  }

 private:
  Svf filter_;
  Svf::Coefficients coefficients_{};
};

// A stereo sound buffer covering the whole piece.
struct Track {
  explicit Track(long frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  long frames() const { return static_cast<long>(left.size()); }
  // Adds `value` at frame `i` panned by `pan` (-1 left .. +1 right, constant power).
  void Add(long i, double value, double pan);
  std::vector<float> left, right;

 private:
  // The gains of the last pan asked for: a note keeps its pan, so they are seldom worked out.
  // (Not a number at first, so that the first pan is always worked out.)
  double pan_ = std::numeric_limits<double>::quiet_NaN(), left_gain_ = 0.0, right_gain_ = 0.0;
};

// Dotted-echo delay whose repeats alternate between the sides, darkened on each pass.
void PingPongDelay(const Track& in, Track& out, double delay_seconds, double feedback, double wet);

// Schroeder-Moorer reverb: parallel damped combs then series all-passes, per side.
void Reverb(const Track& in, Track& out, double room, double damping, double wet);

}  // namespace synth

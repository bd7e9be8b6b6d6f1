// Building blocks of the synthesizer: deterministic noise, band-limited oscillators, a
// state-variable filter, and the stereo send effects (ping-pong delay, small plate reverb).
#pragma once

#include <cstdint>
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
  Out Process(double in, double cutoff_hz, double resonance) {
    return Process(in, For(cutoff_hz, resonance));
  }

 private:
  double ic1_ = 0.0, ic2_ = 0.0;
};

// A stereo sound buffer covering the whole piece.
struct Track {
  explicit Track(long frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  long frames() const { return static_cast<long>(left.size()); }
  // Adds `value` at frame `i` panned by `pan` (-1 left .. +1 right, constant power).
  void Add(long i, double value, double pan);
  std::vector<float> left, right;
};

// Dotted-echo delay whose repeats alternate between the sides, darkened on each pass.
void PingPongDelay(const Track& in, Track& out, double delay_seconds, double feedback, double wet);

// Schroeder-Moorer reverb: parallel damped combs then series all-passes, per side.
void Reverb(const Track& in, Track& out, double room, double damping, double wet);

}  // namespace synth

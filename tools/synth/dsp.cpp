// Oscillators, filter, noise and send effects of the synthesizer.
#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace synth {

double MidiToHz(double note) {
  return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

double Noise::Next() {
  state_ = state_ * 1664525u + 1013904223u;
  return static_cast<double>(state_ >> 8) / static_cast<double>(1 << 23) - 1.0;
}

namespace {

// Residual of a unit step smoothed over one sample period.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double Oscillator::Next(double hz) {
  const double dt = hz / kRate;
  double value = 0.0;
  switch (shape_) {
    case Shape::kSine:
      value = std::sin(2.0 * kPi * phase_);
      break;
    case Shape::kSaw:
      value = 2.0 * phase_ - 1.0 - PolyBlep(phase_, dt);
      break;
    case Shape::kSquare:
    case Shape::kTriangle: {
      value = (phase_ < 0.5 ? 1.0 : -1.0) + PolyBlep(phase_, dt) -
              PolyBlep(std::fmod(phase_ + 0.5, 1.0), dt);
      if (shape_ == Shape::kTriangle) {
        // A leaky integral of the band-limited square is a band-limited triangle.
        triangle_ = dt * value * 4.0 + (1.0 - dt * 0.05) * triangle_;
        value = triangle_;
      }
      break;
    }
  }
  phase_ += dt;
  if (phase_ >= 1.0) phase_ -= 1.0;
  return value;
}

Svf::Coefficients Svf::For(double cutoff_hz, double resonance) {
  cutoff_hz = std::clamp(cutoff_hz, 20.0, kRate * 0.45);
  const double g = std::tan(kPi * cutoff_hz / kRate);
  const double k = 2.0 - 2.0 * std::clamp(resonance, 0.0, 0.98);
  const double a1 = 1.0 / (1.0 + g * (g + k));
  const double a2 = g * a1;
  return {a1, a2, g * a2, k};
}

Svf::Out Svf::Process(double in, const Coefficients& c) {
  const double v3 = in - ic2_;
  const double v1 = c.a1 * ic1_ + c.a2 * v3;
  const double v2 = ic2_ + c.a2 * ic1_ + c.a3 * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  return {v2, v1, in - c.k * v1 - v2};
}

void Track::Add(long i, double value, double pan) {
  if (i < 0 || i >= frames()) return;
  if (pan != pan_) {
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    pan_ = pan;
    left_gain_ = std::cos(angle) * 1.41421356;
    right_gain_ = std::sin(angle) * 1.41421356;
  }
  left[i] += static_cast<float>(value * left_gain_);
  right[i] += static_cast<float>(value * right_gain_);
}

void PingPongDelay(const Track& in, Track& out, double delay_seconds, double feedback, double wet) {
  const long delay = std::lround(delay_seconds * kRate);
  std::vector<float> line_left(delay, 0.0f), line_right(delay, 0.0f);
  double tone_left = 0.0, tone_right = 0.0;
  long pos = 0;
  for (long i = 0; i < in.frames(); ++i) {
    const double echo_left = line_left[pos];
    const double echo_right = line_right[pos];
    // Input enters on the left; each pass crosses to the other side and loses some treble.
    tone_left += 0.5 * ((in.left[i] + in.right[i]) * 0.5 + echo_right * feedback - tone_left);
    tone_right += 0.5 * (echo_left - tone_right);
    line_left[pos] = static_cast<float>(tone_left);
    line_right[pos] = static_cast<float>(tone_right);
    out.left[i] += static_cast<float>(echo_left * wet);
    out.right[i] += static_cast<float>(echo_right * wet);
    if (++pos == delay) pos = 0;
  }
}

namespace {

class Comb {
 public:
  explicit Comb(int length) : buffer_(length, 0.0f) {}
  double Process(double in, double feedback, double damping) {
    const double out = buffer_[pos_];
    store_ = out * (1.0 - damping) + store_ * damping;
    buffer_[pos_] = static_cast<float>(in + store_ * feedback);
    if (++pos_ == static_cast<int>(buffer_.size())) pos_ = 0;
    return out;
  }

 private:
  std::vector<float> buffer_;
  int pos_ = 0;
  double store_ = 0.0;
};

class AllPass {
 public:
  explicit AllPass(int length) : buffer_(length, 0.0f) {}
  double Process(double in) {
    const double delayed = buffer_[pos_];
    buffer_[pos_] = static_cast<float>(in + delayed * 0.5);
    if (++pos_ == static_cast<int>(buffer_.size())) pos_ = 0;
    return delayed - in;
  }

 private:
  std::vector<float> buffer_;
  int pos_ = 0;
};

void ReverbSide(const std::vector<float>& in, std::vector<float>& out, int spread, double room,
                double damping, double wet) {
  // Mutually prime lengths (the classic Freeverb tunings) avoid metallic ringing.
  const int comb_lengths[] = {1116, 1188, 1277, 1356, 1422, 1491};
  const int allpass_lengths[] = {556, 441, 341};
  std::vector<Comb> combs;
  for (int length : comb_lengths) combs.emplace_back(length + spread);
  std::vector<AllPass> allpasses;
  for (int length : allpass_lengths) allpasses.emplace_back(length + spread);
  const double feedback = 0.7 + 0.28 * room;
  for (size_t i = 0; i < in.size(); ++i) {
    const double input = in[i] * 0.015;
    double sum = 0.0;
    for (Comb& comb : combs) sum += comb.Process(input, feedback, damping);
    for (AllPass& allpass : allpasses) sum = allpass.Process(sum);
    out[i] += static_cast<float>(sum * wet);
  }
}

}  // namespace

void Reverb(const Track& in, Track& out, double room, double damping, double wet) {
  ReverbSide(in.left, out.left, 0, room, damping, wet);
  ReverbSide(in.right, out.right, 23, room, damping, wet);
}

}  // namespace synth

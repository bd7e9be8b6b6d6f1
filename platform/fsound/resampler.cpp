// Windowed-sinc resampler: Blackman-windowed kernels, low-passed below the lower Nyquist rate,
// interpolated linearly between table phases.
#include "resampler.h"

#include <algorithm>
#include <cmath>

namespace vexil::fsound {

namespace {

double Sinc(double x) {
  if (std::fabs(x) < 1e-9) return 1.0;
  return std::sin(M_PI * x) / (M_PI * x);
}

}  // namespace

Resampler::Resampler(int in_rate, int out_rate) : in_rate_(in_rate), out_rate_(out_rate) {
  // Cut a little below the lower of the two Nyquist rates so that downsampling does not alias.
  const double cutoff = 0.95 * std::min(1.0, static_cast<double>(out_rate) / in_rate);
  kernels_.resize(static_cast<size_t>(kPhases + 1) * 2 * kHalfTaps);
  for (int phase = 0; phase <= kPhases; ++phase) {
    const double frac = static_cast<double>(phase) / kPhases;
    float* row = &kernels_[static_cast<size_t>(phase) * 2 * kHalfTaps];
    double sum = 0;
    for (int tap = 0; tap < 2 * kHalfTaps; ++tap) {
      // Tap `tap` reads input frame pos - kHalfTaps + 1 + tap; its distance from the read point:
      const double t = (tap - kHalfTaps + 1) - frac;
      const double w =
          0.42 + 0.5 * std::cos(M_PI * t / kHalfTaps) + 0.08 * std::cos(2 * M_PI * t / kHalfTaps);
      const double value = std::fabs(t) >= kHalfTaps ? 0.0 : cutoff * Sinc(cutoff * t) * w;
      row[tap] = static_cast<float>(value);
      sum += value;
    }
    for (int tap = 0; tap < 2 * kHalfTaps; ++tap) row[tap] = static_cast<float>(row[tap] / sum);
  }
  Reset();
}

void Resampler::Reset() {
  // Silence before the first frame, so the first output sits exactly on the first input frame.
  input_.assign(static_cast<size_t>(kHalfTaps - 1) * 2, 0.0f);
  pos_ = kHalfTaps - 1;
  frac_ = 0;
  real_end_ = -1;
}

void Resampler::ResetWithHistory(const float* history, int frames) {
  Reset();
  frames = std::min(frames, kHalfTaps - 1);
  // The history replaces the newest silent frames before the read position.
  std::copy(history, history + 2 * frames, input_.end() - 2 * frames);
}

void Resampler::Push(const float* in, int frames) {
  input_.insert(input_.end(), in, in + 2 * frames);
}

void Resampler::Finish() {
  if (real_end_ >= 0) return;
  real_end_ = static_cast<int64_t>(input_.size() / 2);
  input_.resize(input_.size() + static_cast<size_t>(kHalfTaps) * 2, 0.0f);
}

bool Resampler::Drained() const {
  return real_end_ >= 0 && pos_ >= real_end_;
}

int Resampler::Pull(float* out, int max_frames) {
  const int64_t frames_in = static_cast<int64_t>(input_.size() / 2);
  int produced = 0;
  while (produced < max_frames) {
    if (pos_ + kHalfTaps >= frames_in) break;        // not enough look-ahead yet
    if (real_end_ >= 0 && pos_ >= real_end_) break;  // past the real input
    // Linear interpolation between the two nearest kernel phases.
    const double phase_pos = static_cast<double>(frac_) * kPhases / out_rate_;
    const int phase = static_cast<int>(phase_pos);
    const float blend = static_cast<float>(phase_pos - phase);
    const float* k0 = Kernel(phase);
    const float* k1 = Kernel(phase + 1);
    const float* x = &input_[static_cast<size_t>(pos_ - kHalfTaps + 1) * 2];
    float left = 0, right = 0;
    for (int tap = 0; tap < 2 * kHalfTaps; ++tap) {
      const float k = k0[tap] + (k1[tap] - k0[tap]) * blend;
      left += x[2 * tap] * k;
      right += x[2 * tap + 1] * k;
    }
    out[2 * produced] = left;
    out[2 * produced + 1] = right;
    ++produced;
    // Advance by in_rate / out_rate input frames, exactly.
    frac_ += in_rate_;
    pos_ += frac_ / out_rate_;
    frac_ %= out_rate_;
  }
  // Drop input no future output can reach, keeping the window behind the read position. A
  // large step (a source far faster than the mix) can leave the read position past the input
  // received so far: then everything goes, and the position stays ahead of what comes next.
  const int64_t keep_from = std::min(pos_ - kHalfTaps + 1, frames_in);
  if (keep_from > 4096) {
    input_.erase(input_.begin(), input_.begin() + keep_from * 2);
    pos_ -= keep_from;
    if (real_end_ >= 0) real_end_ -= keep_from;
  }
  return produced;
}

}  // namespace vexil::fsound

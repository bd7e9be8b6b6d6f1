// Band-limited sample-rate conversion of interleaved stereo float (windowed-sinc kernel table),
// with an exact rational read position so long pieces never drift against the mix clock and
// the output starts in phase with the input (no delay to compensate for).
#pragma once

#include <cstdint>
#include <vector>

namespace vexil::fsound {

class Resampler {
 public:
  Resampler(int in_rate, int out_rate);

  void Reset();  // forget all input, as after a seek
  // Reset, then take `frames` frames that precede the next input as filter history, so that
  // output after a seek is what continuous playback would have produced there.
  void ResetWithHistory(const float* history, int frames);
  static constexpr int HistoryFrames() { return kHalfTaps - 1; }
  void Push(const float* in, int frames);  // append stereo input frames
  void Finish();                           // no more input: let the tail out
  int Pull(float* out, int max_frames);    // produce what the buffered input allows
  bool Drained() const;                    // finished and everything produced

 private:
  static constexpr int kHalfTaps = 16;  // taps on each side of the read position
  static constexpr int kPhases = 256;   // kernel table resolution between input samples

  const float* Kernel(int phase) const { return &kernels_[phase * 2 * kHalfTaps]; }

  int in_rate_;
  int out_rate_;
  std::vector<float> kernels_;  // (kPhases + 1) rows of 2 * kHalfTaps coefficients
  std::vector<float> input_;    // stereo frames; frame 0 is kHalfTaps - 1 frames before `pos_`
  int64_t pos_ = 0;             // integer read position in `input_` frames
  int64_t frac_ = 0;            // fractional position, in units of 1 / out_rate_
  int64_t real_end_ = -1;       // after Finish: first frame index that is padding
};

}  // namespace vexil::fsound

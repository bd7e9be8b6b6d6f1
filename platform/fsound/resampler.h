// Sample-rate conversion of interleaved stereo float to the mix rate, by libsamplerate's
// band-limited sinc converter (SRC_SINC_FASTEST: 97 dB SNR and more than 100 dB of rejection
// above the output's Nyquist frequency; bench/fsound/resampler_bench compares it with the
// converter vexil had before). Output starts in phase with the input and the whole output
// lasts as long as the input, to the frame.
#pragma once

#include <cstdint>
#include <vector>

typedef struct SRC_STATE_tag SRC_STATE;

namespace vexil::fsound {

class Resampler {
 public:
  Resampler(int in_rate, int out_rate);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  void Reset();  // forget all input, as after a seek
  // Frames before a seek position that ResetWithHistory takes, so that output after the seek
  // is what continuous playback would have produced there. A multiple of the input frames
  // that make a whole number of output frames, so the output grid stays where it was.
  int HistoryFrames() const { return history_frames_; }
  // Reset, then take `frames` (at most HistoryFrames()) frames that precede the next input as
  // filter history; fewer mean silence before them, as at the start of a piece.
  void ResetWithHistory(const float* history, int frames);
  void Push(const float* in, int frames);    // append stereo input frames
  void Finish();                             // no more input: let the tail out
  int Pull(float* out, int max_frames);      // produce what the buffered input allows
  bool Drained() const { return drained_; }  // finished and everything produced

 private:
  SRC_STATE* state_ = nullptr;
  int in_rate_;
  int out_rate_;
  double ratio_;
  int history_frames_;
  std::vector<float> pending_;  // input not yet taken by the converter
  int64_t discard_ = 0;         // output frames that belong to the history
  bool finished_ = false;
  bool drained_ = false;
};

}  // namespace vexil::fsound

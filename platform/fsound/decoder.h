// Decodes one music file with libsndfile into interleaved stereo float at the mixer's rate:
// channel mapping, looping at the end of the data, and resampling when the file's rate differs
// from the mix rate. Used by one thread at a time (the stream's producer).
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "byte_source.h"
#include "resampler.h"

namespace vexil::fsound {

class Decoder {
 public:
  // What a music file may declare. Real music stays far inside; past these a header is a lie
  // or a mistake, and the buffers and the resampler are never set up for it.
  static constexpr int kMinSampleRate = 1000;
  static constexpr int kMaxSampleRate = 384000;
  static constexpr int kMaxRateRatio = 16;  // file rate over mix rate
  static constexpr int kMaxChannels = 32;
  // Empty when the file's rate and channel count are within those limits, else the reason.
  static std::string CheckFormat(const SF_INFO& info, int mix_rate);

  // Returns null on failure and sets *fmod_error. `mode` supplies the FSOUND_LOADRAW format bits.
  static std::unique_ptr<Decoder> Open(std::unique_ptr<ByteSource> source, unsigned mode,
                                       int mix_rate, int* fmod_error);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  int64_t SourceFrames() const { return info_.frames; }
  int SourceRate() const { return info_.samplerate; }
  int SourceChannels() const { return info_.channels; }

  // Moves to `source_frame` (clamped to the length) and forgets resampler history.
  bool Seek(int64_t source_frame);
  // Writes up to `frames` stereo frames at the mix rate into `out`; sets *ended when the data is
  // exhausted and no more will come (never while `loop` holds and the stream has frames).
  int Read(float* out, int frames, bool loop, bool* ended);

 private:
  Decoder(std::unique_ptr<ByteSource> source, SNDFILE* file, const SF_INFO& info, int mix_rate);
  int ReadSource(float* out, int frames, bool loop, bool* ended);

  std::unique_ptr<ByteSource> source_;
  SNDFILE* file_;
  SF_INFO info_;
  int mix_rate_;
  std::unique_ptr<Resampler> resampler_;  // null when the rates match: samples pass unchanged
  int64_t frames_since_wrap_ = 0;
  std::vector<float> interleaved_;  // one read of the file's own channel layout
  std::vector<float> stereo_;       // resampler input
};

}  // namespace vexil::fsound

// The resampler over libsamplerate's full API: input is buffered until the converter takes
// it, and the output that belongs to seek history is dropped.
#include "resampler.h"

#include <samplerate.h>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace vexil::fsound {

namespace {

// Enough history for the converter's filter on either side of a seek position.
constexpr int kMinHistoryFrames = 64;

}  // namespace

Resampler::Resampler(int in_rate, int out_rate)
    : in_rate_(in_rate), out_rate_(out_rate), ratio_(static_cast<double>(out_rate) / in_rate) {
  // history * out_rate / in_rate must be whole: a multiple of in_rate / gcd.
  const int step = in_rate / std::gcd(in_rate, out_rate);
  history_frames_ = step * ((kMinHistoryFrames + step - 1) / step);
  int error = 0;
  state_ = src_new(SRC_SINC_FASTEST, 2, &error);
}

Resampler::~Resampler() {
  if (state_) src_delete(state_);
}

void Resampler::Reset() {
  if (state_) src_reset(state_);
  pending_.clear();
  discard_ = 0;
  finished_ = false;
  drained_ = false;
}

void Resampler::ResetWithHistory(const float* history, int frames) {
  Reset();
  frames = std::clamp(frames, 0, history_frames_);
  pending_.assign(static_cast<size_t>(history_frames_ - frames) * 2, 0.0f);
  pending_.insert(pending_.end(), history, history + 2 * frames);
  discard_ = static_cast<int64_t>(history_frames_) * out_rate_ / in_rate_;  // whole by design
}

void Resampler::Push(const float* in, int frames) {
  if (frames > 0) pending_.insert(pending_.end(), in, in + 2 * frames);
}

void Resampler::Finish() {
  finished_ = true;
}

int Resampler::Pull(float* out, int max_frames) {
  if (!state_) {
    drained_ = finished_;
    return 0;
  }
  int produced = 0;
  while (produced < max_frames && !drained_) {
    SRC_DATA data{};
    static const float kNoInput[2] = {0.0f, 0.0f};  // libsamplerate wants a pointer even for none
    data.data_in = pending_.empty() ? kNoInput : pending_.data();
    data.input_frames = static_cast<long>(pending_.size() / 2);
    data.data_out = out + 2 * produced;
    data.output_frames = max_frames - produced;
    data.end_of_input = finished_ ? 1 : 0;
    data.src_ratio = ratio_;
    if (src_process(state_, &data) != 0) {
      drained_ = finished_;
      break;
    }
    pending_.erase(pending_.begin(), pending_.begin() + 2 * data.input_frames_used);
    int generated = static_cast<int>(data.output_frames_gen);
    if (discard_ > 0 && generated > 0) {
      const int dropped = static_cast<int>(std::min<int64_t>(discard_, generated));
      std::memmove(out + 2 * produced, out + 2 * (produced + dropped),
                   sizeof(float) * 2 * static_cast<size_t>(generated - dropped));
      discard_ -= dropped;
      generated -= dropped;
    }
    produced += generated;
    if (data.output_frames_gen == 0 && data.input_frames_used == 0) {
      drained_ = finished_ && pending_.empty();
      break;
    }
  }
  return produced;
}

}  // namespace vexil::fsound

// libsndfile decoding with looping, channel mapping and resampling to the mix rate.
#include "decoder.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "fsound/fsound.h"

namespace vexil::fsound {

namespace {

constexpr int kReadFrames = 1024;

int FmodErrorFromSndfile(int sf_error_code) {
  switch (sf_error_code) {
    case SF_ERR_UNRECOGNISED_FORMAT:
    case SF_ERR_UNSUPPORTED_ENCODING:
      return FMOD_ERR_FILE_FORMAT;
    default:
      return FMOD_ERR_FILE_BAD;
  }
}

// Headerless data: FMOD's raw streams are 44100 Hz, little-endian, shaped by the mode bits.
void DescribeRaw(unsigned mode, SF_INFO* info) {
  info->samplerate = 44100;
  info->channels = (mode & FSOUND_STEREO) ? 2 : 1;
  int sub = SF_FORMAT_PCM_16;
  if (mode & FSOUND_8BITS) sub = (mode & FSOUND_UNSIGNED) ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_S8;
  info->format = SF_FORMAT_RAW | sub | SF_ENDIAN_LITTLE;
}

}  // namespace

std::string Decoder::CheckFormat(const SF_INFO& info, int mix_rate) {
  if (info.samplerate < kMinSampleRate || info.samplerate > kMaxSampleRate)
    return "a sample rate of " + std::to_string(info.samplerate) + " Hz is outside " +
           std::to_string(kMinSampleRate) + " to " + std::to_string(kMaxSampleRate) + " Hz";
  if (info.samplerate > kMaxRateRatio * static_cast<int64_t>(mix_rate))
    return "a sample rate of " + std::to_string(info.samplerate) + " Hz is more than " +
           std::to_string(kMaxRateRatio) + " times the mix rate of " + std::to_string(mix_rate) +
           " Hz";
  if (info.channels < 1 || info.channels > kMaxChannels)
    return std::to_string(info.channels) + " channels is outside 1 to " +
           std::to_string(kMaxChannels);
  return {};
}

std::unique_ptr<Decoder> Decoder::Open(std::unique_ptr<ByteSource> source, unsigned mode,
                                       int mix_rate, int* fmod_error) {
  SF_INFO info{};
  if (mode & FSOUND_LOADRAW) DescribeRaw(mode, &info);
  SNDFILE* file = sf_open_virtual(ByteSource::VirtualIo(), SFM_READ, &info, source.get());
  if (!file) {
    *fmod_error = FmodErrorFromSndfile(sf_error(nullptr));
    return nullptr;
  }
  // Hostile headers stop here, before a rate or channel count reaches the buffers and the
  // resampler.
  const std::string refusal = CheckFormat(info, mix_rate);
  if (!refusal.empty()) {
    std::fprintf(stderr, "fsound: cannot play \"%s\": %s\n", source->Name().c_str(),
                 refusal.c_str());
    sf_close(file);
    *fmod_error = FMOD_ERR_FILE_FORMAT;
    return nullptr;
  }
  return std::unique_ptr<Decoder>(new Decoder(std::move(source), file, info, mix_rate));
}

Decoder::Decoder(std::unique_ptr<ByteSource> source, SNDFILE* file, const SF_INFO& info,
                 int mix_rate)
    : source_(std::move(source)), file_(file), info_(info), mix_rate_(mix_rate) {
  // Integer files read as float come back as x / 32768 for 16 bits, so 16-bit material survives
  // the round trip through the mixer bit for bit.
  interleaved_.resize(static_cast<size_t>(kReadFrames) * info_.channels);
  if (info_.samplerate != mix_rate_) {
    resampler_ = std::make_unique<Resampler>(info_.samplerate, mix_rate_);
    stereo_.resize(static_cast<size_t>(kReadFrames) * 2);
  }
}

Decoder::~Decoder() {
  sf_close(file_);
}

bool Decoder::Seek(int64_t source_frame) {
  source_frame = std::clamp<int64_t>(source_frame, 0, std::max<int64_t>(info_.frames, 0));
  frames_since_wrap_ = 0;
  if (!resampler_) return sf_seek(file_, source_frame, SEEK_SET) >= 0;
  // Decode the frames just before the target as filter history.
  const int history =
      static_cast<int>(std::min<int64_t>(source_frame, resampler_->HistoryFrames()));
  if (sf_seek(file_, source_frame - history, SEEK_SET) < 0) return false;
  if (stereo_.size() < static_cast<size_t>(history) * 2)
    stereo_.resize(static_cast<size_t>(history) * 2);
  bool ended = false;
  const int got = ReadSource(stereo_.data(), history, false, &ended);
  resampler_->ResetWithHistory(stereo_.data(), got);
  frames_since_wrap_ = 0;
  return got == history;
}

int Decoder::ReadSource(float* out, int frames, bool loop, bool* ended) {
  int done = 0;
  while (done < frames) {
    const int want = std::min(frames - done, kReadFrames);
    const sf_count_t got = sf_readf_float(file_, interleaved_.data(), want);
    if (got > 0) {
      const float* in = interleaved_.data();
      float* dst = out + 2 * done;
      const int channels = info_.channels;
      if (channels == 1) {
        for (sf_count_t i = 0; i < got; ++i) dst[2 * i] = dst[2 * i + 1] = in[i];
      } else {
        // Stereo passes through; wider layouts keep their front left and right.
        for (sf_count_t i = 0; i < got; ++i) {
          dst[2 * i] = in[i * channels];
          dst[2 * i + 1] = in[i * channels + 1];
        }
      }
      done += static_cast<int>(got);
      frames_since_wrap_ += got;
      continue;
    }
    // End of the data: wrap when looping, unless the last pass produced nothing (an empty or
    // unreadable stream would otherwise spin here forever).
    if (loop && frames_since_wrap_ > 0 && sf_seek(file_, 0, SEEK_SET) >= 0) {
      frames_since_wrap_ = 0;
      continue;
    }
    *ended = true;
    break;
  }
  return done;
}

int Decoder::Read(float* out, int frames, bool loop, bool* ended) {
  *ended = false;
  if (!resampler_) return ReadSource(out, frames, loop, ended);

  int produced = resampler_->Pull(out, frames);
  while (produced < frames && !resampler_->Drained()) {
    bool source_end = false;
    const int got = ReadSource(stereo_.data(), kReadFrames, loop, &source_end);
    resampler_->Push(stereo_.data(), got);
    if (source_end) resampler_->Finish();  // release the filter's tail
    produced += resampler_->Pull(out + 2 * produced, frames - produced);
  }
  *ended = resampler_->Drained();
  return produced;
}

}  // namespace vexil::fsound

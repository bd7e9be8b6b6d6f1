// Channel table and summing of playing streams into clipped 16-bit stereo.
#include "mixer.h"

#include <algorithm>
#include <cmath>

#include "fsound/fsound.h"

namespace vexil::fsound {

namespace {

constexpr int kChunkFrames = 1024;

int16_t ToInt16(float sample) {
  // x * 32768 undoes libsndfile's 16-bit normalisation exactly; clip what the sum pushes over.
  const float scaled = std::clamp(sample * 32768.0f, -32768.0f, 32767.0f);
  return static_cast<int16_t>(std::lrint(scaled));
}

}  // namespace

Mixer::Mixer(int rate, int channels)
    : rate_(rate),
      channels_(static_cast<size_t>(channels)),
      accumulator_(kChunkFrames * 2),
      rendered_at_(std::chrono::steady_clock::now()) {}

void Mixer::Render(int16_t* out, int frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  while (frames > 0) {
    const int chunk = std::min(frames, kChunkFrames);
    MixChunk(out, chunk);
    rendered_ += chunk;
    out += 2 * chunk;
    frames -= chunk;
  }
  rendered_at_ = std::chrono::steady_clock::now();
}

Mixer::ClockReading Mixer::ReadClock() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ReadClockLocked();
}

void Mixer::MixChunk(int16_t* out, int frames) {
  std::fill(accumulator_.begin(), accumulator_.begin() + 2 * frames, 0.0f);
  for (const auto& stream : streams_) stream->DropStale();
  const float master = static_cast<float>(master_volume_) / 255.0f;
  for (Channel& channel : channels_) {
    if (!channel.stream || channel.paused) continue;
    MixChannel(channel, frames, master * static_cast<float>(channel.volume) / 255.0f);
    if (channel.stream->Finished()) channel.stream.reset();
  }
  for (int i = 0; i < 2 * frames; ++i) out[i] = ToInt16(accumulator_[i]);
}

void Mixer::MixChannel(Channel& channel, int frames, float gain) {
  // Not heard yet since its start or seek, and its first block still being decoded (a busy
  // machine): the schedule waits for the block, by as long as it is late, rather than skip the
  // first notes of the piece. A start stamped in the past on purpose (a negative offset) keeps
  // its skip.
  if (channel.consumed == 0 && channel.anchor < rendered_ + frames &&
      !channel.stream->HasDecoded()) {
    channel.anchor += frames;
    return;
  }
  // Where the schedule wants the stream at the first frame of this chunk, against where it is.
  const int64_t behind = (rendered_ - channel.anchor) - channel.consumed;
  int silent = 0;
  if (behind > 0) {
    channel.consumed += channel.stream->Skip(behind);
  } else if (behind < 0) {
    silent = static_cast<int>(std::min<int64_t>(-behind, frames));
  }
  if (silent < frames) {
    channel.consumed +=
        channel.stream->MixInto(accumulator_.data() + 2 * silent, frames - silent, gain);
  }
}

std::vector<std::shared_ptr<Stream>> Mixer::Snapshot() {
  std::lock_guard<std::mutex> lock(mutex_);
  return streams_;
}

void Mixer::AddStream(std::shared_ptr<Stream> stream) {
  streams_.push_back(std::move(stream));
}

void Mixer::RemoveStream(const Stream* stream) {
  Stop(stream);
  streams_.erase(std::remove_if(streams_.begin(), streams_.end(),
                                [&](const auto& s) { return s.get() == stream; }),
                 streams_.end());
}

int Mixer::Play(int channel, const std::shared_ptr<Stream>& stream, int64_t due, int* fmod_error) {
  const int current = ChannelOf(stream.get());
  if (channel == FSOUND_FREE) {
    if (current >= 0) return current;  // already playing: keep its channel
    for (int i = 0; i < channel_count(); ++i) {
      if (!channels_[i].stream) {
        channel = i;
        break;
      }
    }
    if (channel == FSOUND_FREE) {
      *fmod_error = FMOD_ERR_CHANNEL_ALLOC;
      return -1;
    }
  } else if (!ValidChannel(channel)) {
    *fmod_error = FMOD_ERR_INVALID_PARAM;
    return -1;
  }
  if (current >= 0 && current != channel) channels_[current].stream.reset();
  // A new sound on a channel starts with the channel's defaults, as the original library did.
  channels_[channel] = Channel{stream, 255, false, due, 0, 0};
  return channel;
}

void Mixer::Reschedule(const Stream* stream, int64_t due) {
  const int channel = ChannelOf(stream);
  if (channel < 0) return;
  // Paused, the schedule stands still at the pause: the new place is heard when playing resumes.
  channels_[channel].anchor = channels_[channel].paused ? channels_[channel].paused_at : due;
  channels_[channel].consumed = 0;
}

void Mixer::SetPaused(int channel, bool paused, int64_t due) {
  Channel& c = channels_[channel];
  if (paused == c.paused) return;
  c.paused = paused;
  if (paused) {
    c.paused_at = due;
  } else {
    // The schedule moves on by the time spent paused: the stream resumes where it stopped.
    c.anchor += due - c.paused_at;
  }
}

void Mixer::Stop(const Stream* stream) {
  const int channel = ChannelOf(stream);
  if (channel >= 0) channels_[channel].stream.reset();
}

int Mixer::ChannelOf(const Stream* stream) const {
  for (int i = 0; i < channel_count(); ++i) {
    if (channels_[i].stream.get() == stream) return i;
  }
  return -1;
}

bool Mixer::IsPlaying(int channel) const {
  return channels_[channel].stream && !channels_[channel].stream->Finished();
}

}  // namespace vexil::fsound

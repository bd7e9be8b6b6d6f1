// The software mixer: channels that streams play on, with volume and pause, summed into 16-bit
// stereo. One mutex guards the channel table and stream list; it is held only for table edits
// and for mixing already-decoded blocks, never across decoding or file access.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "stream.h"

namespace vexil::fsound {

class Mixer {
 public:
  Mixer(int rate, int channels);

  int rate() const { return rate_; }
  int channel_count() const { return static_cast<int>(channels_.size()); }

  // Mixes `frames` interleaved stereo frames into `out`. Called by the audio callback or by the
  // offline renderer; takes the lock itself.
  void Render(int16_t* out, int frames);

  // Copies the open streams, for a producer to fill them without holding the lock.
  std::vector<std::shared_ptr<Stream>> Snapshot();

  // Everything below requires the caller to hold mutex().
  std::mutex& mutex() { return mutex_; }
  void AddStream(std::shared_ptr<Stream> stream);
  void RemoveStream(const Stream* stream);  // also stops it
  // Plays `stream` on `channel`, or on the first free one for FSOUND_FREE. Whatever played on the
  // channel stops. Returns the channel, or -1 with *fmod_error set.
  int Play(int channel, const std::shared_ptr<Stream>& stream, int* fmod_error);
  void Stop(const Stream* stream);
  int ChannelOf(const Stream* stream) const;  // -1 when not playing
  bool ValidChannel(int channel) const { return channel >= 0 && channel < channel_count(); }
  bool IsPlaying(int channel) const;
  void SetVolume(int channel, int volume) { channels_[channel].volume = volume; }
  int Volume(int channel) const { return channels_[channel].volume; }
  void SetPaused(int channel, bool paused) { channels_[channel].paused = paused; }
  bool Paused(int channel) const { return channels_[channel].paused; }
  void SetMasterVolume(int volume) { master_volume_ = volume; }
  int MasterVolume() const { return master_volume_; }

 private:
  struct Channel {
    std::shared_ptr<Stream> stream;
    int volume = 255;
    bool paused = false;
  };
  void MixChunk(int16_t* out, int frames);

  const int rate_;
  std::mutex mutex_;
  std::vector<Channel> channels_;
  std::vector<std::shared_ptr<Stream>> streams_;
  int master_volume_ = 255;
  std::vector<float> accumulator_;
};

}  // namespace vexil::fsound

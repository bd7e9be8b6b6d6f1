// The software mixer: channels that streams play on, with volume and pause, summed into 16-bit
// stereo. One mutex guards the channel table and stream list; it is held only for table edits
// and for mixing already-decoded blocks, never across decoding or file access.
//
// The mixer counts the frames it has rendered: that count is the output's sample clock. Every
// start, seek and pause is stamped with the clock frame at which it is to be heard, and each
// channel keeps its stream on that schedule: a stream that fell behind while playing (decoding
// was late) skips ahead, one stamped in the future waits in silence. So the music never drifts
// from the clock, whatever the device's pace. Only the first block after a start or seek is
// waited for when it is not decoded in time, by as long as it is late: losing a piece's first
// notes is worse than a start a few milliseconds late on a machine too busy to decode it.
#pragma once

#include <chrono>
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

  // Mixes `frames` interleaved stereo frames into `out` and advances the clock by as many.
  // Called by the audio callback or by the offline renderer; takes the lock itself.
  void Render(int16_t* out, int frames);

  // Frames rendered so far, and when the latest render ended (steady clock). Takes the lock.
  struct ClockReading {
    int64_t rendered = 0;
    std::chrono::steady_clock::time_point at;
  };
  ClockReading ReadClock();
  // The same for a caller that holds mutex(): no render can come between the reading and what
  // the caller stamps with it.
  ClockReading ReadClockLocked() const { return ClockReading{rendered_, rendered_at_}; }

  // Copies the open streams, for a producer to fill them without holding the lock.
  std::vector<std::shared_ptr<Stream>> Snapshot();

  // Everything below requires the caller to hold mutex().
  std::mutex& mutex() { return mutex_; }
  void AddStream(std::shared_ptr<Stream> stream);
  void RemoveStream(const Stream* stream);  // also stops it
  // Plays `stream` on `channel`, or on the first free one for FSOUND_FREE, so that its current
  // position is heard at clock frame `due`. Whatever played on the channel stops. Returns the
  // channel, or -1 with *fmod_error set.
  int Play(int channel, const std::shared_ptr<Stream>& stream, int64_t due, int* fmod_error);
  // After a seek of `stream`: its new position is heard at clock frame `due`.
  void Reschedule(const Stream* stream, int64_t due);
  void Stop(const Stream* stream);
  int ChannelOf(const Stream* stream) const;  // -1 when not playing
  bool ValidChannel(int channel) const { return channel >= 0 && channel < channel_count(); }
  bool IsPlaying(int channel) const;
  void SetVolume(int channel, int volume) { channels_[channel].volume = volume; }
  int Volume(int channel) const { return channels_[channel].volume; }
  // Pauses or resumes at clock frame `due`; a resumed stream goes on from where it paused.
  void SetPaused(int channel, bool paused, int64_t due);
  bool Paused(int channel) const { return channels_[channel].paused; }
  void SetMasterVolume(int volume) { master_volume_ = volume; }
  int MasterVolume() const { return master_volume_; }

 private:
  struct Channel {
    std::shared_ptr<Stream> stream;
    int volume = 255;
    bool paused = false;
    // The schedule: the stream's position at the last start or seek is heard at clock frame
    // `anchor`; `consumed` frames of it have been mixed or skipped since.
    int64_t anchor = 0;
    int64_t consumed = 0;
    int64_t paused_at = 0;  // clock frame of the pause, while paused
  };
  void MixChunk(int16_t* out, int frames);
  void MixChannel(Channel& channel, int frames, float gain);

  const int rate_;
  std::mutex mutex_;
  std::vector<Channel> channels_;
  std::vector<std::shared_ptr<Stream>> streams_;
  int master_volume_ = 255;
  std::vector<float> accumulator_;
  int64_t rendered_ = 0;  // the clock: frames rendered since the mixer was made
  std::chrono::steady_clock::time_point rendered_at_;
};

}  // namespace vexil::fsound

// One open music stream: its decoder, the ring of decoded blocks, and the few atomics through
// which the API thread (seek, mode), the producer (feeder thread or offline renderer) and the
// mixer (audio callback) cooperate without locks.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "block_ring.h"
#include "decoder.h"

namespace vexil::fsound {

class Stream {
 public:
  Stream(std::unique_ptr<Decoder> decoder, unsigned mode, int mix_rate);

  // ---- API thread ----
  // Starts a new generation at `source_frame`: blocks decoded before become stale at once.
  void RequestSeek(int64_t source_frame);
  void RequestSeekMs(int64_t ms);
  unsigned Mode() const { return mode_.load(std::memory_order_relaxed); }
  void SetMode(unsigned mode) { mode_.store(mode, std::memory_order_relaxed); }
  bool Looping() const;
  int64_t LengthFrames() const { return length_frames_; }  // at the source rate
  int64_t LengthMs() const;
  int64_t PositionFrames() const;  // at the source rate
  int64_t PositionMs() const;
  // True once the mixer has played the last block of the current generation.
  bool Finished() const;

  // ---- producer ----
  // Decodes until the ring is full or the stream has ended; reacts to seek requests first.
  // Returns true when audio for a new position waits for the mixer to drop stale blocks.
  bool Fill();

  // ---- mixer (audio thread, or the offline renderer) ----
  // Drops blocks of an older generation, so a stopped stream is ready at its new position.
  void DropStale();
  // Adds up to `frames` frames times `gain` into `acc` (interleaved stereo); returns the frames
  // mixed, fewer on underrun or at the end.
  int MixInto(float* acc, int frames, float gain);
  // Whether decoded frames of the current position wait in the ring (the mixer thread asks).
  bool HasDecoded();
  // Drops up to `frames` frames unheard (a stream catching up with its schedule); returns the
  // frames dropped, fewer when no more are decoded yet or the stream ends.
  int64_t Skip(int64_t frames);

  int64_t underruns() const { return underruns_.load(std::memory_order_relaxed); }

 private:
  int64_t SourceToMix(int64_t source_frames) const;
  int64_t WrapPosition(int64_t mix_frames) const;
  // Takes up to `frames` frames from the ring, adding them times `gain` into `acc` unless it is
  // null; the common part of MixInto and Skip.
  int64_t Consume(float* acc, int64_t frames, float gain);

  std::unique_ptr<Decoder> decoder_;
  BlockRing ring_;
  const int mix_rate_;
  const int64_t length_frames_;
  std::atomic<unsigned> mode_;
  // Seek request from the API: generation in the high 32 bits, source frame in the low 32.
  std::atomic<uint64_t> request_;
  std::atomic<int64_t> position_{0};       // mix-rate frames, as last heard from the mixer
  std::atomic<uint32_t> finished_gen_{0};  // generation whose last block has been played
  std::atomic<int64_t> underruns_{0};

  // Producer-only state.
  bool RoomForBlock() const;
  uint32_t producer_gen_ = 0;
  int64_t produce_position_ = 0;
  bool producer_done_ = false;
  bool end_pending_ = false;  // a failed seek still has to tell the mixer that the stream ended
  int blocks_since_seek_ = 0;

  // Mixer-only state: frames already taken from the block at the read end of the ring.
  int read_offset_ = 0;
};

}  // namespace vexil::fsound

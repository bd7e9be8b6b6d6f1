// Single-producer single-consumer ring of fixed-size blocks of decoded stereo audio. The feeder
// thread fills blocks and the mixer drains them without locks; each block carries the seek
// generation it was decoded for, so the mixer can drop audio that a seek made stale.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace vexil::fsound {

constexpr int kBlockFrames = 1024;  // ~23 ms at 44100 Hz
constexpr int kRingBlocks = 16;     // ~370 ms of decoded audio ahead of the output
// Blocks kept free in steady state: after a seek the producer writes the new position into
// them at once, while the stale blocks still wait for the mixer to drop them.
constexpr int kSeekReserveBlocks = 4;

struct AudioBlock {
  std::array<float, kBlockFrames * 2> samples;  // interleaved left, right at the mix rate
  int frames = 0;
  uint32_t generation = 0;
  int64_t position = 0;  // music position of the first frame, in mix-rate frames
  bool last = false;     // the stream ends after this block
};

class BlockRing {
 public:
  // Producer side.
  AudioBlock& WriteSlot() { return blocks_[write_.load(std::memory_order_relaxed) % kRingBlocks]; }
  void Publish() { write_.fetch_add(1, std::memory_order_release); }

  // Consumer side.
  bool CanRead() const {
    return read_.load(std::memory_order_relaxed) != write_.load(std::memory_order_acquire);
  }
  const AudioBlock& ReadSlot() const {
    return blocks_[read_.load(std::memory_order_relaxed) % kRingBlocks];
  }
  void Pop() { read_.fetch_add(1, std::memory_order_release); }

  int Filled() const {
    return static_cast<int>(write_.load(std::memory_order_acquire) -
                            read_.load(std::memory_order_acquire));
  }

 private:
  std::array<AudioBlock, kRingBlocks> blocks_;
  std::atomic<uint64_t> write_{0};
  std::atomic<uint64_t> read_{0};
};

}  // namespace vexil::fsound

// Seek generations, producer fill loop and mixer consumption of one stream's block ring.
#include "stream.h"

#include <algorithm>
#include <limits>

#include "fsound/fsound.h"

namespace vexil::fsound {

namespace {

uint32_t GenerationOf(uint64_t request) {
  return static_cast<uint32_t>(request >> 32);
}
int64_t FrameOf(uint64_t request) {
  return static_cast<int64_t>(request & 0xFFFFFFFFu);
}

}  // namespace

Stream::Stream(std::unique_ptr<Decoder> decoder, unsigned mode, int mix_rate)
    : decoder_(std::move(decoder)),
      mix_rate_(mix_rate),
      length_frames_(std::max<int64_t>(decoder_->SourceFrames(), 0)),
      mode_(mode),
      request_(uint64_t{1} << 32) {}  // generation 1 at frame 0: the producer fills from the start

bool Stream::Looping() const {
  const unsigned mode = Mode();
  return (mode & (FSOUND_LOOP_NORMAL | FSOUND_LOOP_BIDI)) != 0 && !(mode & FSOUND_LOOP_OFF);
}

int64_t Stream::LengthMs() const {
  return length_frames_ * 1000 / std::max(decoder_->SourceRate(), 1);
}

int64_t Stream::SourceToMix(int64_t source_frames) const {
  return source_frames * mix_rate_ / decoder_->SourceRate();
}

int64_t Stream::WrapPosition(int64_t mix_frames) const {
  const int64_t length = SourceToMix(length_frames_);
  return length > 0 ? mix_frames % length : mix_frames;
}

void Stream::RequestSeek(int64_t source_frame) {
  if (source_frame < 0) source_frame = 0;
  if (length_frames_ > 0) {
    source_frame =
        Looping() ? source_frame % length_frames_ : std::min(source_frame, length_frames_);
  }
  source_frame = std::min<int64_t>(source_frame, std::numeric_limits<uint32_t>::max());
  const uint32_t generation = GenerationOf(request_.load(std::memory_order_relaxed)) + 1;
  position_.store(SourceToMix(source_frame), std::memory_order_relaxed);
  request_.store((uint64_t{generation} << 32) | static_cast<uint64_t>(source_frame),
                 std::memory_order_release);
}

void Stream::RequestSeekMs(int64_t ms) {
  RequestSeek(ms * decoder_->SourceRate() / 1000);
}

int64_t Stream::PositionFrames() const {
  return WrapPosition(position_.load(std::memory_order_relaxed)) * decoder_->SourceRate() /
         mix_rate_;
}

int64_t Stream::PositionMs() const {
  return WrapPosition(position_.load(std::memory_order_relaxed)) * 1000 / mix_rate_;
}

bool Stream::Finished() const {
  return finished_gen_.load(std::memory_order_acquire) ==
         GenerationOf(request_.load(std::memory_order_acquire));
}

bool Stream::RoomForBlock() const {
  const int filled = ring_.Filled();
  if (filled < kRingBlocks - kSeekReserveBlocks) return true;
  return blocks_since_seek_ < kSeekReserveBlocks && filled < kRingBlocks;
}

bool Stream::Fill() {
  for (;;) {
    const uint64_t request = request_.load(std::memory_order_acquire);
    const uint32_t generation = GenerationOf(request);
    if (generation != producer_gen_) {
      producer_gen_ = generation;
      const int64_t frame = FrameOf(request);
      produce_position_ = SourceToMix(frame);
      blocks_since_seek_ = 0;
      // An unseekable position: the stream ends there rather than play the wrong audio.
      end_pending_ = !decoder_->Seek(frame);
      producer_done_ = end_pending_;
    }
    if (!RoomForBlock()) {
      // Report a seek whose audio is blocked by stale blocks, so the feeder polls quickly.
      return blocks_since_seek_ == 0 && ring_.ReadSlot().generation != generation;
    }
    if (end_pending_) {
      AudioBlock& block = ring_.WriteSlot();
      block.frames = 0;
      block.generation = generation;
      block.position = produce_position_;
      block.last = true;
      ring_.Publish();
      end_pending_ = false;
      return false;
    }
    if (producer_done_) return false;

    AudioBlock& block = ring_.WriteSlot();
    bool ended = false;
    block.frames = decoder_->Read(block.samples.data(), kBlockFrames, Looping(), &ended);
    block.generation = generation;
    block.position = produce_position_;
    block.last = ended;
    ring_.Publish();
    produce_position_ += block.frames;
    producer_done_ = ended;
    ++blocks_since_seek_;
  }
}

void Stream::DropStale() {
  const uint32_t generation = GenerationOf(request_.load(std::memory_order_acquire));
  while (ring_.CanRead() && ring_.ReadSlot().generation != generation) {
    ring_.Pop();
    read_offset_ = 0;
  }
}

bool Stream::HasDecoded() {
  DropStale();
  return ring_.CanRead();
}

int Stream::MixInto(float* acc, int frames, float gain) {
  return static_cast<int>(Consume(acc, frames, gain));
}

int64_t Stream::Skip(int64_t frames) {
  return Consume(nullptr, frames, 0.0f);
}

int64_t Stream::Consume(float* acc, int64_t frames, float gain) {
  const uint32_t generation = GenerationOf(request_.load(std::memory_order_acquire));
  if (finished_gen_.load(std::memory_order_relaxed) == generation) return 0;
  int64_t done = 0;
  while (done < frames) {
    if (!ring_.CanRead()) {
      underruns_.fetch_add(1, std::memory_order_relaxed);
      break;
    }
    const AudioBlock& block = ring_.ReadSlot();
    if (block.generation != generation) {
      ring_.Pop();
      read_offset_ = 0;
      continue;
    }
    const int take =
        static_cast<int>(std::min<int64_t>(frames - done, block.frames - read_offset_));
    if (acc) {
      const float* src = block.samples.data() + 2 * read_offset_;
      float* dst = acc + 2 * done;
      for (int i = 0; i < 2 * take; ++i) dst[i] += src[i] * gain;
    }
    read_offset_ += take;
    done += take;
    position_.store(block.position + read_offset_, std::memory_order_relaxed);
    if (read_offset_ == block.frames) {
      const bool last = block.last;
      ring_.Pop();
      read_offset_ = 0;
      if (last) {
        finished_gen_.store(generation, std::memory_order_release);
        break;
      }
    }
  }
  return done;
}

}  // namespace vexil::fsound

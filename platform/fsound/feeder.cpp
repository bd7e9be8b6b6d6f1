// Feeder thread loop: snapshot the open streams, decode into their rings, sleep briefly.
#include "feeder.h"

#include <chrono>

#include "mixer.h"

namespace vexil::fsound {

namespace {

// A ring holds ~370 ms, so refilling every 20 ms keeps it near full with few wake-ups. Right
// after a seek the new audio waits for the mixer to drop the stale blocks: poll quickly then.
constexpr std::chrono::milliseconds kRefillPeriod(20);
constexpr std::chrono::milliseconds kSeekPollPeriod(1);

}  // namespace

Feeder::Feeder(Mixer& mixer) : mixer_(mixer), thread_([this] { Run(); }) {}

Feeder::~Feeder() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void Feeder::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
  }
  wake_.notify_one();
}

void Feeder::Run() {
  for (;;) {
    bool seek_waiting = false;
    {
      // Decoding happens outside every lock; a stream closed meanwhile stays alive through the
      // snapshot's reference until this pass is over.
      auto streams = mixer_.Snapshot();
      for (const auto& stream : streams) seek_waiting |= stream->Fill();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, seek_waiting ? kSeekPollPeriod : kRefillPeriod,
                   [this] { return woken_ || stopping_; });
    if (stopping_) return;
    woken_ = false;
  }
}

}  // namespace vexil::fsound

// Feeder thread loop: snapshot the open streams, decode into their rings, sleep briefly.
#include "feeder.h"

#include <chrono>

#include "mixer.h"

namespace vexil::fsound {

namespace {

// A ring holds ~370 ms; refilling every 5 ms keeps it near full at a negligible wake-up cost.
constexpr std::chrono::milliseconds kRefillPeriod(5);

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
    {
      // Decoding happens outside every lock; a stream closed meanwhile stays alive through the
      // snapshot's reference until this pass is over.
      auto streams = mixer_.Snapshot();
      for (const auto& stream : streams) stream->Fill();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, kRefillPeriod, [this] { return woken_ || stopping_; });
    if (stopping_) return;
    woken_ = false;
  }
}

}  // namespace vexil::fsound

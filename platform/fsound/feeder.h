// The feeder thread: keeps every open stream's block ring full so that the audio callback only
// ever copies decoded samples. Woken at once after a seek or open, otherwise every few ms.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

namespace vexil::fsound {

class Mixer;

class Feeder {
 public:
  explicit Feeder(Mixer& mixer);
  ~Feeder();  // stops and joins the thread
  Feeder(const Feeder&) = delete;
  Feeder& operator=(const Feeder&) = delete;

  void Wake();

 private:
  void Run();

  Mixer& mixer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool woken_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace vexil::fsound

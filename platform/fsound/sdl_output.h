// The real-time driver: an SDL2 audio device pulling the mixer from SDL's audio thread, and
// the feeder thread that keeps every stream decoded ahead of it. The device is asked for
// 16-bit stereo at the mix rate; SDL converts and resamples to what the hardware has.
#pragma once

#include <cstdint>
#include <memory>

#include "feeder.h"
#include "output.h"

namespace vexil::fsound {

class SdlOutput final : public Output {
 public:
  SdlOutput() = default;
  ~SdlOutput() override { Stop(); }
  SdlOutput(const SdlOutput&) = delete;
  SdlOutput& operator=(const SdlOutput&) = delete;

  int Start(Mixer& mixer) override;  // opens and starts the default device
  void Stop() override;
  void Wake() override;
  bool Clock(const Mixer::ClockReading& reading, int rate, int64_t* frame) override;
  bool RealTime() const override { return true; }

 private:
  uint32_t device_ = 0;
  int device_frames_ = 0;  // frames the device takes per callback
  bool subsystem_started_ = false;
  std::unique_ptr<Feeder> feeder_;
};

}  // namespace vexil::fsound

// Real-time output: an SDL2 audio device pulling the mixer from SDL's audio thread. The device is
// asked for 16-bit stereo at the mix rate; SDL converts and resamples to what the hardware has.
#pragma once

#include <cstdint>

namespace vexil::fsound {

class Mixer;

class SdlOutput {
 public:
  SdlOutput() = default;
  ~SdlOutput() { Close(); }
  SdlOutput(const SdlOutput&) = delete;
  SdlOutput& operator=(const SdlOutput&) = delete;

  // Opens and starts the default device. Returns an FMOD_ERRORS code (FMOD_ERR_NONE on success).
  int Open(Mixer& mixer);
  void Close();

 private:
  uint32_t device_ = 0;
  bool subsystem_started_ = false;
};

}  // namespace vexil::fsound

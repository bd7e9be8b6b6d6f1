// The silent and offline drivers, and the choice between all three.
#include "output.h"

#include "fsound/fsound.h"
#include "mixer.h"
#include "sdl_output.h"

namespace vexil::fsound {

namespace {

class NoSoundOutput final : public Output {
 public:
  int Start(Mixer&) override { return FMOD_ERR_NONE; }
  void Stop() override {}
};

class OfflineOutput final : public Output {
 public:
  int Start(Mixer& mixer) override {
    mixer_ = &mixer;
    return FMOD_ERR_NONE;
  }
  void Stop() override { mixer_ = nullptr; }

  bool Clock(const Mixer::ClockReading& reading, int /*rate*/, int64_t* frame) override {
    // Exactly the frames rendered: a capture's stamps land on its own sample grid.
    *frame = reading.rendered;
    return true;
  }

  bool Render(int16_t* out, int frames) override {
    if (!mixer_) return false;
    DecodeAndRender(*mixer_, out, frames);
    return true;
  }

 private:
  Mixer* mixer_ = nullptr;
};

}  // namespace

void DecodeAndRender(Mixer& mixer, int16_t* out, int frames) {
  // Decode just ahead of each block the mixer takes: the rings never run dry.
  while (frames > 0) {
    const int chunk = frames < kBlockFrames ? frames : kBlockFrames;
    for (const auto& stream : mixer.Snapshot()) {
      // Producer and consumer are this one thread here: clear what a seek made stale first,
      // so the refill at the new position lands before this block is mixed.
      stream->DropStale();
      stream->Fill();
    }
    mixer.Render(out, chunk);
    out += 2 * chunk;
    frames -= chunk;
  }
}

std::unique_ptr<Output> MakeOutput(int output_type) {
  switch (output_type) {
    case FSOUND_OUTPUT_NOSOUND_NONREALTIME:
      return std::make_unique<OfflineOutput>();
    case FSOUND_OUTPUT_NOSOUND:
      return std::make_unique<NoSoundOutput>();
    default:
      return std::make_unique<SdlOutput>();
  }
}

}  // namespace vexil::fsound

// The music of a render as a 16-bit stereo WAV file, streamed as it is mixed: the audio of a
// capture (DIR/audio.wav) and, with --audio-only, the whole render's music alone, to join with
// pieces of a video rendered elsewhere.
#pragma once

#include <cstdint>
#include <string>

#include "frame_sink.h"
#include "system/output_file.h"

struct VexilWavWriter;

namespace vexil {

class WavSink : public FrameSink {
 public:
  // `lock`: the file is an output of its own, locked while the render runs (a capture's audio
  // is covered by the lock of its folder). `name` is how messages call it (the path in quotes
  // when empty).
  explicit WavSink(std::string path, bool lock = true, std::string name = "");
  ~WavSink() override;
  WavSink(const WavSink&) = delete;
  WavSink& operator=(const WavSink&) = delete;

  bool Begin(const RenderFormat& format, std::string* error) override;
  bool AddFrame(const RenderedFrame&, std::string*) override { return true; }
  bool AddAudio(const int16_t* samples, int64_t frames, std::string* error) override;
  // The music so far stays a complete file, also after a render was stopped or failed.
  bool Finish(RenderEnd end, std::string* error) override;
  // The picture frames whose music reached the file.
  int64_t frames_written() const override { return frames_written_; }

 private:
  std::string path_;
  bool lock_output_ = true;
  std::string name_;
  sys::OutputLock lock_;
  sys::OutputFile file_;  // renamed into place when the render ends
  VexilWavWriter* wav_ = nullptr;
  int64_t spans_added_ = 0;
  int64_t frames_written_ = 0;
};

}  // namespace vexil

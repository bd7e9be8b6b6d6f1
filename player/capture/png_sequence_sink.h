// The PNG output of a capture: DIR/frame-NNNNNN.png for every frame and the music of the same
// span as DIR/audio.wav. PNGs are deflated on worker threads while the next frame renders.
// A piece of a render (--frames, --chunk) writes its frames only, into a folder it may share
// with the other pieces; the music comes whole from --audio-only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame_sink.h"
#include "png_writer_pool.h"
#include "system/output_file.h"
#include "wav_sink.h"

namespace vexil {

// "DIR/frame-000042.png".
std::string FramePath(const std::string& dir, int64_t k);

// Makes the folder (and its parents). False with a message when it cannot be made.
bool MakeCaptureFolder(const std::string& dir, std::string* error);

class PngSequenceSink : public FrameSink {
 public:
  explicit PngSequenceSink(std::string dir);

  bool Begin(const RenderFormat& format, std::string* error) override;
  bool AddFrame(const RenderedFrame& frame, std::string* error) override;
  bool AddAudio(const int16_t* samples, int64_t frames, std::string* error) override;
  bool Finish(RenderEnd end, std::string* error) override;

  // Frames whose file was written completely (known once finished).
  int64_t frames_written() const override { return frames_written_; }

 private:
  void RemoveStaleFrames();

  std::string dir_;
  RenderFormat format_;
  int64_t frames_submitted_ = 0;
  int64_t frames_written_ = 0;
  std::unique_ptr<PngWriterPool> pool_;
  sys::OutputLock lock_;          // one render into the folder (a piece: into its frames) at a time
  std::unique_ptr<WavSink> wav_;  // audio.wav, renamed into place when the render ends
};

}  // namespace vexil

// The outputs of an offline render. The capture loop renders each frame once and hands its
// pixels and the music of the same span to every sink in turn: PNG files, a video, a hash
// manifest, a comparison with a manifest. A new output is one more sink, not another loop.
#pragma once

#include <cstdint>
#include <string>

namespace vexil {

// What every frame of one render shares.
struct RenderFormat {
  int width = 0;
  int height = 0;
  int fps = 60;
  int audio_rate = 44100;   // stereo frames of 16-bit samples per second
  double first_ms = 0.0;    // demo time of frame 0
  int64_t first_index = 0;  // the first frame this render makes (frames are numbered from 0)
  bool piece = false;       // a piece of a render: frames first_index to last_index only
  int64_t last_index = 0;
  int64_t replay_from = 0;  // a piece: the whole render's first frame, replayed from there
};

// One rendered picture. The pixels are valid during the call only.
struct RenderedFrame {
  int64_t index = 0;
  double time_ms = 0.0;
  const uint8_t* rgb = nullptr;  // top row first, width * 3 bytes per row
};

// How a render ended, for the outputs to settle what they wrote.
enum class RenderEnd {
  kComplete,  // every frame of the span was rendered
  kStopped,   // Ctrl-C or SIGTERM: the frames so far are a valid, shorter render
  kFailed,    // an error: what was written so far stays, but is no render to draw on
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;

  // Once, before the first frame. False with a message when the output cannot be made.
  virtual bool Begin(const RenderFormat& format, std::string* error) = 0;
  // Every frame, in order.
  virtual bool AddFrame(const RenderedFrame& frame, std::string* error) = 0;
  // The music that plays during the frame just added: `frames` interleaved stereo samples.
  // Spans follow each other without gap, so the whole audio is sample-exact with the pictures.
  virtual bool AddAudio(const int16_t* samples, int64_t frames, std::string* error) = 0;
  // After the last frame, however the render ended. A sink closes what it opened; only a
  // complete render is one to conclude from (a manifest, a comparison).
  virtual bool Finish(RenderEnd end, std::string* error) = 0;
  // The frames that reached a complete file of this output, for the render's summary (none
  // for an output that writes no file, or whose file could not be finished).
  virtual int64_t frames_written() const { return 0; }
};

}  // namespace vexil

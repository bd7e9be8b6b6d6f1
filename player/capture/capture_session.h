// Headless rendering at a fixed frame rate: frame k shows demo time first + k * 1000 / fps and
// carries the music of its own span, so two runs of a script give the same frames and audio
// and the audio never drifts from the pictures. Every frame is rendered once and handed to
// each output (PNG files, a video, hashes) through the FrameSink interface.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "frame_sink.h"
#include "progress_line.h"
#include "system/message_box.h"

class CTimeline;

namespace vexil {

// Frame k of a render shows demo time first_ms + k * 1000 / fps, whichever piece renders it,
// so frame numbers, file names and manifests agree between a whole render and its pieces.
struct CaptureOptions {
  int fps = 60;
  double first_ms = 0.0;  // demo time of frame 0: the render's start
  bool has_last = false;
  double last_ms = 0.0;     // no frame later than this
  int64_t first_index = 0;  // the first frame rendered (a later start: --from, a piece)
  bool has_last_index = false;
  int64_t last_index = 0;  // the last frame rendered (a piece)
  // The whole render's first frame. A piece that begins later first renders the frames from
  // here to its own first one without handing them on, music included: effects that carry
  // state from frame to frame (a trail, a simulation) reach the state the whole render has.
  int64_t replay_from = 0;
  // The chunk_index-th of chunk_count equal pieces of the frames above (1: all of them).
  int chunk_index = 0;
  int chunk_count = 1;
  // Music only: the device draws nothing and no output takes pictures.
  bool audio_only = false;
};

// A capture never renders more frames than this (over four and a half hours at 60 fps): a
// script whose start time or module end is absurdly far away is refused, not rendered.
constexpr int64_t kMaxCaptureFrames = 1000000;

// Demo time of frame k, computed in double so that long captures do not drift.
double CaptureFrameTime(const CaptureOptions& options, int64_t k);
// How many frames a capture renders when the demo ends at `demo_end` ms (frames at most up
// to the last time when one is given), from first_index to the last index when one is given
// (chunks aside); saturates at kMaxCaptureFrames + 1.
int64_t CaptureFrameCount(const CaptureOptions& options, double demo_end);
// The index of the first frame at or after demo time `ms` on the render's grid.
int64_t FirstFrameAtOrAfter(const CaptureOptions& options, double ms);
// Resolves a chunk into first_index and last_index for a demo that ends at `demo_end`. False
// when the piece holds no frame (more pieces than frames).
bool ResolveChunk(CaptureOptions* options, double demo_end);
// Audio frames (at `rate` per second) that belong before picture frame k: the audio of
// frame k is AudioFramesBefore(k + 1) - AudioFramesBefore(k), and the sum never drifts.
int64_t AudioFramesBefore(int64_t k, int fps, int rate);

// Counts the messages that files of the script could not be used while it lives (they still
// reach stderr): with --strict a render fails on them instead of playing on without the file.
class LoadProblemCounter {
 public:
  LoadProblemCounter();
  ~LoadProblemCounter();
  LoadProblemCounter(const LoadProblemCounter&) = delete;
  LoadProblemCounter& operator=(const LoadProblemCounter&) = delete;
  int count() const { return *count_; }

 private:
  std::shared_ptr<int> count_;
  sys::MessageSink previous_;
};

// An output of a render, by the name the user gave it, for the summary.
struct WrittenOutput {
  std::string name;
  const FrameSink* sink = nullptr;
};

// The lines that tell what a render wrote: "81 frames at 60 fps (640x480) written to DIR, V",
// counting only frames that reached a complete file. Outputs that hold no frame are left out;
// outputs that hold different counts get a line each.
std::vector<std::string> RenderSummary(const std::vector<WrittenOutput>& outputs, int fps,
                                       int width, int height);

class CaptureSession {
 public:
  // The sinks are not owned; each gets every frame, in the order given.
  CaptureSession(CaptureOptions options, std::vector<FrameSink*> sinks);
  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  // Renders frames of width x height pixels until the timeline ends, the last time is passed
  // or a stop signal comes. False with a message when the span needs more than
  // kMaxCaptureFrames frames (nothing is rendered then), when a frame could not be presented,
  // when an output failed, or when a signal stopped the render; what was written so far stays.
  bool Run(CTimeline* timeline, IDirect3DDevice9* device, int width, int height,
           std::string* error);

  int64_t frames_rendered() const { return frames_rendered_; }
  const RenderFormat& format() const { return format_; }
  // The stop signal that ended the render early, or 0.
  int stopped_by() const { return stopped_by_; }

 private:
  // A frame rendered and presented but not yet handed to the outputs: its pixels may still be
  // on their way back from the device, its music is mixed once the frame has rendered.
  struct PendingFrame {
    int64_t index = 0;
    double time_ms = 0.0;
    bool audio_ready = false;
    std::vector<int16_t> samples;
  };

  static void OnFrame(const uint8_t* rgba, UINT width, UINT height, void* self);
  // The pixels of the oldest pending frame arrived (null: they could not be read).
  void TakePixels(const uint8_t* rgba, UINT width, UINT height);
  // Hands the oldest pending frame, whose pixels are in rgb_, to every output.
  void Deliver();
  bool ReadBack(IDirect3DDevice9* device, std::string* error);
  // Hands the frames still in flight to the outputs. False with the first failure.
  bool FlushFrames(IDirect3DDevice9* device, std::string* error);
  bool CheckFrameCount(double demo_end, std::string* error) const;
  // Why a render made no frame at all.
  void NoFrameError(double demo_end, std::string* error) const;
  bool RenderFrames(CTimeline* timeline, IDirect3DDevice9* device, std::string* error);
  bool RenderLoop(CTimeline* timeline, std::string* error);
  // Renders frames replay_from to first_index - 1 without outputs. False when stopped.
  bool Replay(CTimeline* timeline, IDirect3DDevice9* device);

  CaptureOptions options_;
  std::vector<FrameSink*> sinks_;
  RenderFormat format_;
  int64_t frames_rendered_ = 0;
  int stopped_by_ = 0;
  bool frame_size_wrong_ = false;
  std::vector<uint8_t> rgb_;
  std::vector<int16_t> samples_;
  // Frames on their way to the outputs, oldest first: at most read_depth_ + 1 of them.
  std::deque<PendingFrame> pending_;
  unsigned read_depth_ = 0;   // frames the device keeps in flight (0: read during Present)
  bool pixels_held_ = false;  // rgb_ holds the oldest pending frame, waiting for its music
  bool output_failed_ = false;
  std::string output_error_;
  int64_t expected_ = 0;
  ProgressLine* progress_ = nullptr;
};

// Frames a render of width x height pixels lets the device read back asynchronously: frame k
// is handed to the outputs while frame k + 1 (or k + 2) renders, so the renderer does not
// wait for every read. The device keeps one read-back buffer more than that, so two frames
// in flight are taken only while their three buffers stay within 64 MiB (up to about
// 2560 x 1440); larger frames, a 4K one of 33 MB, keep one.
unsigned CaptureFramesInFlight(int width, int height);

// Puts the sound layer into offline mixing before anything initialises it, so the music of
// a capture is mixed in step with the pictures instead of playing on a device.
void PrepareOfflineSound();
// Keeps the sound layer silent (no device opened) for runs that only build the demo.
void PrepareSilentSound();

}  // namespace vexil

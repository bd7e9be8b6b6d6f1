// Headless rendering at a fixed frame rate: frame k shows demo time first + k * 1000 / fps and
// carries the music of its own span, so two runs of a script give the same frames and audio
// and the audio never drifts from the pictures. Every frame is rendered once and handed to
// each output (PNG files, a video, hashes) through the FrameSink interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "frame_sink.h"
#include "system/message_box.h"

class CTimeline;

namespace vexil {

struct CaptureOptions {
  int fps = 60;
  double first_ms = 0.0;  // demo time of frame 0
  bool has_last = false;
  double last_ms = 0.0;  // no frame later than this
};

// A capture never renders more frames than this (over four and a half hours at 60 fps): a
// script whose start time or module end is absurdly far away is refused, not rendered.
constexpr int64_t kMaxCaptureFrames = 1000000;

// Demo time of frame k, computed in double so that long captures do not drift.
double CaptureFrameTime(const CaptureOptions& options, int64_t k);
// How many frames a capture renders when the demo ends at `demo_end` ms (frames at most up
// to the last time when one is given); saturates at kMaxCaptureFrames + 1.
int64_t CaptureFrameCount(const CaptureOptions& options, double demo_end);
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
  static void OnFrame(const uint8_t* rgba, UINT width, UINT height, void* self);
  bool CheckFrameCount(double demo_end, std::string* error) const;
  // Why a render made no frame at all.
  void NoFrameError(double demo_end, std::string* error) const;
  bool RenderFrames(CTimeline* timeline, std::string* error);

  CaptureOptions options_;
  std::vector<FrameSink*> sinks_;
  RenderFormat format_;
  int64_t frames_rendered_ = 0;
  int stopped_by_ = 0;
  bool frame_ready_ = false;
  bool frame_size_wrong_ = false;
  std::vector<uint8_t> rgb_;
  std::vector<int16_t> samples_;
};

// Puts the sound layer into offline mixing before anything initialises it, so the music of
// a capture is mixed in step with the pictures instead of playing on a device.
void PrepareOfflineSound();
// Keeps the sound layer silent (no device opened) for runs that only build the demo.
void PrepareSilentSound();

}  // namespace vexil

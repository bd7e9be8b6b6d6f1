// Headless capture: renders the timeline at a fixed frame rate, writes every presented frame
// as DIR/frame-NNNNNN.png and the music of the same span as DIR/audio.wav. Frame k shows
// demo time first + k * 1000 / fps, so two runs of a script give the same files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "png_writer_pool.h"

class CTimeline;
struct VexilWavWriter;

namespace vexil {

struct CaptureOptions {
  std::string dir;
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
// "DIR/frame-000042.png".
std::string FramePath(const std::string& dir, int64_t k);

class CaptureSession {
 public:
  explicit CaptureSession(CaptureOptions options);
  ~CaptureSession();
  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  // Creates the folder. False with a message when it cannot be made.
  bool Prepare(std::string* error);

  // Renders frames until the timeline ends, the last time is passed or a stop signal comes.
  // False with a message when the span needs more than kMaxCaptureFrames frames (nothing is
  // rendered then), when a frame could not be presented or written, or when a signal stopped
  // the capture; the files written so far stay.
  bool Run(CTimeline* timeline, IDirect3DDevice9* device, std::string* error);

  // Frames whose file was written completely.
  int64_t frames_written() const { return frames_written_; }
  // The stop signal that ended the capture early, or 0.
  int stopped_by() const { return stopped_by_; }

 private:
  static void OnFrame(const uint8_t* rgba, UINT width, UINT height, void* self);
  bool OpenAudio(std::string* error);
  bool WriteAudio(int64_t picture_frame, std::string* error);
  void RemoveStaleFrames();

  CaptureOptions options_;
  int64_t frames_presented_ = 0;
  int64_t frames_written_ = 0;
  int stopped_by_ = 0;
  bool frame_failed_ = false;
  std::string frame_error_;  // why a frame could not be handed on ("" for a failed write)
  std::unique_ptr<PngWriterPool> pool_;
  VexilWavWriter* wav_ = nullptr;
  int audio_rate_ = 0;
  std::vector<int16_t> samples_;
};

// Puts the sound layer into offline mixing before anything initialises it, so the music of
// a capture is mixed in step with the pictures instead of playing on a device.
void PrepareOfflineSound();
// Keeps the sound layer silent (no device opened) for runs that only build the demo.
void PrepareSilentSound();

}  // namespace vexil

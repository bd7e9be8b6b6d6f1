// The fixed-rate render loop of captures, videos and hash manifests.
#include "capture_session.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "d3d9/d3d9_readback.h"
#include "fsound/fsound.h"
#include "progress_line.h"
#include "system/stop_signal.h"
#include "timeline/timeline.h"

namespace vexil {

namespace {

constexpr int kDefaultMixRate = 44100;

// What a render says of a frame the device did not hand back.
std::string UnreadFrameMessage(double time_ms) {
  char when[64];
  std::snprintf(when, sizeof when, "%.6g ms", time_ms);
  return std::string("the frame for ") + when + " could not be read back from the graphics device";
}

}  // namespace

double CaptureFrameTime(const CaptureOptions& options, int64_t k) {
  return options.first_ms + static_cast<double>(k) * 1000.0 / options.fps;
}

int64_t CaptureFrameCount(const CaptureOptions& options, double demo_end) {
  const double last = options.has_last ? std::min(options.last_ms, demo_end) : demo_end;
  if (!(last >= options.first_ms)) return 0;
  // Frame k is rendered while first + k * 1000 / fps <= last.
  double end = std::floor((last - options.first_ms) * options.fps / 1000.0) + 1.0;
  // Rounding must not drop a frame whose time CaptureFrameTime puts exactly on `last`.
  if (CaptureFrameTime(options, static_cast<int64_t>(std::min(end, 4e15))) <= last) end += 1.0;
  if (options.has_last_index) end = std::min(end, static_cast<double>(options.last_index) + 1.0);
  const double frames = end - static_cast<double>(options.first_index);
  if (frames <= 0) return 0;
  if (!(frames <= static_cast<double>(kMaxCaptureFrames))) return kMaxCaptureFrames + 1;
  return static_cast<int64_t>(frames);
}

int64_t FirstFrameAtOrAfter(const CaptureOptions& options, double ms) {
  if (!(ms > options.first_ms)) return 0;
  int64_t k = static_cast<int64_t>(
      std::min(std::ceil((ms - options.first_ms) * options.fps / 1000.0), 4e15));
  // The frame's time as the render computes it decides, not the division above.
  while (k > 0 && CaptureFrameTime(options, k - 1) >= ms) --k;
  while (CaptureFrameTime(options, k) < ms) ++k;
  return k;
}

bool ResolveChunk(CaptureOptions* options, double demo_end) {
  if (options->chunk_count <= 1) return CaptureFrameCount(*options, demo_end) > 0;
  const int64_t whole = std::min(CaptureFrameCount(*options, demo_end), kMaxCaptureFrames);
  const int64_t first = options->first_index;
  options->replay_from = first;
  // Pieces differ by one frame at most, the longer ones last.
  const int64_t begin = first + whole * options->chunk_index / options->chunk_count;
  const int64_t end = first + whole * (options->chunk_index + 1) / options->chunk_count;
  options->first_index = begin;
  options->has_last_index = true;
  options->last_index = end - 1;
  options->chunk_count = 1;
  options->chunk_index = 0;
  return end > begin;
}

int64_t AudioFramesBefore(int64_t k, int fps, int rate) {
  return k * rate / fps;
}

LoadProblemCounter::LoadProblemCounter() : count_(std::make_shared<int>(0)) {
  // A render has no window for boxes: every message is a problem, already on stderr.
  std::shared_ptr<int> count = count_;
  previous_ = sys::SetMessageSink([count](const std::string&, const std::string&) { ++*count; });
}

LoadProblemCounter::~LoadProblemCounter() {
  sys::SetMessageSink(std::move(previous_));
}

std::vector<std::string> RenderSummary(const std::vector<WrittenOutput>& outputs, int fps,
                                       int width, int height) {
  std::vector<std::pair<int64_t, std::string>> groups;
  for (const WrittenOutput& output : outputs) {
    const int64_t frames = output.sink ? output.sink->frames_written() : 0;
    if (frames <= 0) continue;
    auto same = std::find_if(groups.begin(), groups.end(),
                             [&](const auto& group) { return group.first == frames; });
    if (same == groups.end()) {
      groups.emplace_back(frames, output.name);
    } else {
      same->second += ", " + output.name;
    }
  }
  std::vector<std::string> lines;
  for (const auto& group : groups) {
    char text[96];
    std::snprintf(text, sizeof text, "%lld frames at %d fps (%dx%d) written to ",
                  static_cast<long long>(group.first), fps, width, height);
    lines.push_back(text + group.second);
  }
  return lines;
}

unsigned CaptureFramesInFlight(int width, int height) {
  constexpr double kReadBackBudget = 64.0 * 1024 * 1024;
  const double frame = static_cast<double>(width) * height * 4;
  return frame * 3 <= kReadBackBudget ? 2 : 1;
}

void PrepareOfflineSound() {
  FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND_NONREALTIME);
}

void PrepareSilentSound() {
  FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
}

CaptureSession::CaptureSession(CaptureOptions options, std::vector<FrameSink*> sinks)
    : options_(options), sinks_(std::move(sinks)) {}

void CaptureSession::OnFrame(const uint8_t* rgba, UINT width, UINT height, void* user) {
  static_cast<CaptureSession*>(user)->TakePixels(rgba, width, height);
}

void CaptureSession::TakePixels(const uint8_t* rgba, UINT width, UINT height) {
  // A present no frame of the render asked for (none pending) is not an output's.
  if (pending_.empty() || output_failed_) return;
  if (static_cast<int>(width) != format_.width || static_cast<int>(height) != format_.height) {
    frame_size_wrong_ = true;
    output_failed_ = true;
    output_error_ = "the device presented a frame of another size than " +
                    std::to_string(format_.width) + "x" + std::to_string(format_.height);
    return;
  }
  if (!rgba) {
    output_failed_ = true;
    output_error_ = UnreadFrameMessage(pending_.front().time_ms);
    return;
  }
  // The back buffer has no alpha worth keeping: every output takes RGB.
  const size_t pixels = static_cast<size_t>(width) * height;
  uint8_t* rgb = rgb_.data();
  for (size_t i = 0; i < pixels; ++i) {
    rgb[i * 3 + 0] = rgba[i * 4 + 0];
    rgb[i * 3 + 1] = rgba[i * 4 + 1];
    rgb[i * 3 + 2] = rgba[i * 4 + 2];
  }
  pixels_held_ = true;
  // Read during its own Present, the frame still waits for its music; a frame read later
  // has it already.
  if (pending_.front().audio_ready) Deliver();
}

void CaptureSession::Deliver() {
  PendingFrame frame = std::move(pending_.front());
  pending_.pop_front();
  pixels_held_ = false;
  if (output_failed_) return;
  const RenderedFrame rendered{frame.index, frame.time_ms, rgb_.data()};
  const int64_t count = static_cast<int64_t>(frame.samples.size() / 2);
  for (FrameSink* sink : sinks_) {
    if ((!options_.audio_only && !sink->AddFrame(rendered, &output_error_)) ||
        !sink->AddAudio(frame.samples.data(), count, &output_error_)) {
      output_failed_ = true;
      return;
    }
  }
  ++frames_rendered_;
  if (progress_) progress_->Update(frames_rendered_, std::max(expected_, frames_rendered_));
}

bool CaptureSession::ReadBack(IDirect3DDevice9* device, std::string* error) {
  if (options_.audio_only) return true;
  if (VexilSetFrameReader(device, &CaptureSession::OnFrame, this) != D3D_OK) {
    *error = "this device cannot hand its frames to a capture";
    return false;
  }
  // A device that cannot read asynchronously reads every frame during its Present.
  UINT granted = 0;
  const unsigned depth = CaptureFramesInFlight(format_.width, format_.height);
  if (VexilSetFrameReaderDepth(device, depth, &granted) != D3D_OK) granted = 0;
  read_depth_ = granted;
  return true;
}

bool CaptureSession::FlushFrames(IDirect3DDevice9* device, std::string* error) {
  if (!options_.audio_only) VexilFlushFrameReader(device);
  if (output_failed_) {
    *error = output_error_;
    return false;
  }
  if (!pending_.empty()) {
    *error = UnreadFrameMessage(pending_.front().time_ms);
    return false;
  }
  return true;
}

bool CaptureSession::Run(CTimeline* timeline, IDirect3DDevice9* device, int width, int height,
                         std::string* error) {
  // Music modules have initialised the sound layer while the script was read.
  const int rate = FSOUND_GetOutputRate();
  format_.width = width;
  format_.height = height;
  format_.fps = options_.fps;
  format_.audio_rate = rate > 0 ? rate : kDefaultMixRate;
  format_.first_ms = options_.first_ms;
  const int chunks = options_.chunk_count;
  const int chunk = options_.chunk_index;
  if (!CheckFrameCount(timeline->GetEndTime(), error)) return false;
  if (!ResolveChunk(&options_, timeline->GetEndTime()) && chunks > 1) {
    *error = "piece " + std::to_string(chunk) + " of " + std::to_string(chunks) +
             " holds no frame: the render has fewer frames than pieces";
    return false;
  }
  format_.first_index = options_.first_index;
  format_.piece = options_.has_last_index;
  format_.last_index = options_.last_index;
  format_.replay_from = options_.replay_from;
  if (CaptureFrameCount(options_, timeline->GetEndTime()) == 0) {
    NoFrameError(timeline->GetEndTime(), error);
    return false;
  }
  try {
    if (!options_.audio_only) rgb_.assign(static_cast<size_t>(width) * height * 3, 0);
  } catch (const std::bad_alloc&) {
    *error = "out of memory for a frame of " + std::to_string(width) + " x " +
             std::to_string(height) + " pixels";
    return false;
  }

  if (!ReadBack(device, error)) return false;
  size_t begun = 0;
  bool ok = true;
  for (; begun < sinks_.size() && ok; ++begun) ok = sinks_[begun]->Begin(format_, error);
  if (ok && Replay(timeline, device)) ok = RenderFrames(timeline, device, error);
  // After a failure the frames in flight are dropped with the reader; the device gives its
  // read-back buffers up.
  if (!options_.audio_only) {
    VexilSetFrameReader(device, nullptr, nullptr);
    VexilSetFrameReaderDepth(device, 0, nullptr);
  }
  pending_.clear();
  // A render of nothing is no render: no output may conclude from it (an empty manifest would
  // match any script).
  if (ok && stopped_by_ == 0 && frames_rendered_ == 0) {
    NoFrameError(timeline->GetEndTime(), error);
    ok = false;
  }

  // Every output that was opened is closed, the first failure being the one reported.
  const RenderEnd end = !ok                ? RenderEnd::kFailed
                        : stopped_by_ != 0 ? RenderEnd::kStopped
                                           : RenderEnd::kComplete;
  for (size_t i = 0; i < begun; ++i) {
    std::string finish_error;
    if (!sinks_[i]->Finish(end, &finish_error) && ok) {
      *error = finish_error;
      ok = false;
    }
  }
  if (ok && stopped_by_ != 0) {
    *error = std::string("the capture was stopped by ") + StopSignalName(stopped_by_) +
             "; the frames written so far are kept";
    ok = false;
  }
  return ok;
}

bool CaptureSession::CheckFrameCount(double demo_end, std::string* error) const {
  if (CaptureFrameCount(options_, demo_end) <= kMaxCaptureFrames) return true;
  const double last = options_.has_last ? std::min(options_.last_ms, demo_end) : demo_end;
  const double first = CaptureFrameTime(options_, options_.first_index);
  // Whole milliseconds while they read well, powers of ten beyond.
  const char* format = std::max(std::fabs(first), std::fabs(last)) < 1e12
                           ? "from %.0f ms to %.0f ms at %d fps"
                           : "from %.6g ms to %.6g ms at %d fps";
  char span[160];
  std::snprintf(span, sizeof span, format, first, last, options_.fps);
  *error = std::string("the capture ") + span + " would take more than the limit of " +
           std::to_string(kMaxCaptureFrames) +
           " frames: choose a shorter span with --from and --to";
  return false;
}

void CaptureSession::NoFrameError(double demo_end, std::string* error) const {
  char text[256];
  if (options_.has_last && options_.last_ms < options_.first_ms) {
    std::snprintf(text, sizeof text,
                  "the span from %.6g ms to %.6g ms holds no frame: it ends before it starts",
                  options_.first_ms, options_.last_ms);
  } else {
    std::snprintf(text, sizeof text,
                  "the render from %.6g ms holds no frame: the demo ends at %.6g ms",
                  CaptureFrameTime(options_, options_.first_index), demo_end);
  }
  *error = text;
}

bool CaptureSession::Replay(CTimeline* timeline, IDirect3DDevice9* device) {
  if (options_.replay_from >= options_.first_index) return true;
  // Nothing is read back while replaying: the pictures are not wanted, only the state.
  if (!options_.audio_only) VexilSetFrameReader(device, nullptr, nullptr);
  ProgressLine progress(stderr);
  const int64_t count = options_.first_index - options_.replay_from;
  for (int64_t k = options_.replay_from; k < options_.first_index; ++k) {
    if (const int signal = StopSignalReceived()) {
      AcknowledgeStop();
      stopped_by_ = signal;
      break;
    }
    if (!timeline->Render(static_cast<float>(CaptureFrameTime(options_, k)))) break;
    const int64_t samples = AudioFramesBefore(k + 1, options_.fps, format_.audio_rate) -
                            AudioFramesBefore(k, options_.fps, format_.audio_rate);
    samples_.assign(static_cast<size_t>(samples) * 2, 0);
    VexilSound_RenderOffline(samples_.data(), static_cast<int>(samples));
    progress.Update(k - options_.replay_from + 1, count);
  }
  if (!options_.audio_only) VexilSetFrameReader(device, &CaptureSession::OnFrame, this);
  return stopped_by_ == 0;
}

bool CaptureSession::RenderFrames(CTimeline* timeline, IDirect3DDevice9* device,
                                  std::string* error) {
  ProgressLine progress(stderr);
  progress_ = &progress;
  expected_ = CaptureFrameCount(options_, timeline->GetEndTime());
  const bool ok = RenderLoop(timeline, error) && FlushFrames(device, error);
  progress_ = nullptr;
  return ok;
}

bool CaptureSession::RenderLoop(CTimeline* timeline, std::string* error) {
  const int64_t end = options_.first_index + kMaxCaptureFrames;
  for (int64_t k = options_.first_index; k < end; ++k) {
    if (options_.has_last_index && k > options_.last_index) break;
    if (const int signal = StopSignalReceived()) {
      AcknowledgeStop();
      stopped_by_ = signal;
      break;
    }
    const double t = CaptureFrameTime(options_, k);
    if (options_.has_last && t > options_.last_ms) break;
    // Pending before it renders: a device without frames in flight hands the pixels over
    // during the Present.
    pending_.push_back(PendingFrame{k, t, false, {}});
    if (!timeline->Render(static_cast<float>(t))) {
      pending_.pop_back();
      pixels_held_ = false;
      break;
    }
    PendingFrame& frame = pending_.back();
    const int64_t count = AudioFramesBefore(k + 1, options_.fps, format_.audio_rate) -
                          AudioFramesBefore(k, options_.fps, format_.audio_rate);
    samples_.assign(static_cast<size_t>(count) * 2, 0);
    // Without a music module nothing is initialised and the span stays silent.
    VexilSound_RenderOffline(samples_.data(), static_cast<int>(count));
    frame.samples.swap(samples_);
    frame.audio_ready = true;
    // Music only: nothing to read, the music is the output.
    if (options_.audio_only || pixels_held_) Deliver();
    if (output_failed_) {
      *error = output_error_;
      return false;
    }
    // Every present hands over the frame read_depth_ presents back: one more waiting means
    // the device read nothing for it.
    if (pending_.size() > read_depth_) {
      *error = UnreadFrameMessage(pending_.front().time_ms);
      return false;
    }
  }
  return true;
}

}  // namespace vexil

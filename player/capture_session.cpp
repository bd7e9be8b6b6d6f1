// Fixed-rate headless rendering into PNG frames and a WAV file.
#include "capture_session.h"

#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <regex>
#include <system_error>

#include "d3d9/d3d9_readback.h"
#include "fsound/fsound.h"
#include "png_writer_pool.h"
#include "stop_signal.h"
#include "timeline/timeline.h"

namespace vexil {

namespace {
constexpr int kDefaultMixRate = 44100;
}  // namespace

double CaptureFrameTime(const CaptureOptions& options, int64_t k) {
  return options.first_ms + static_cast<double>(k) * 1000.0 / options.fps;
}

int64_t CaptureFrameCount(const CaptureOptions& options, double demo_end) {
  const double last = options.has_last ? std::min(options.last_ms, demo_end) : demo_end;
  if (!(last >= options.first_ms)) return 0;
  // Frame k is rendered while first + k * 1000 / fps <= last.
  const double frames = std::floor((last - options.first_ms) * options.fps / 1000.0) + 1.0;
  if (!(frames <= static_cast<double>(kMaxCaptureFrames))) return kMaxCaptureFrames + 1;
  return static_cast<int64_t>(frames);
}

int64_t AudioFramesBefore(int64_t k, int fps, int rate) {
  return k * rate / fps;
}

std::string FramePath(const std::string& dir, int64_t k) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06" PRId64 ".png", k);
  return (std::filesystem::path(dir) / name).string();
}

void PrepareOfflineSound() {
  FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND_NONREALTIME);
}

void PrepareSilentSound() {
  FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
}

CaptureSession::CaptureSession(CaptureOptions options) : options_(std::move(options)) {}

CaptureSession::~CaptureSession() {
  if (wav_ != nullptr) VexilSound_WavClose(wav_);
}

bool CaptureSession::Prepare(std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(options_.dir, ec);
  if (ec || !std::filesystem::is_directory(options_.dir)) {
    *error = "cannot create the capture folder \"" + options_.dir + "\"" +
             (ec ? ": " + ec.message() : std::string());
    return false;
  }
  return true;
}

void CaptureSession::OnFrame(const uint8_t* rgba, UINT width, UINT height, void* user) {
  auto* self = static_cast<CaptureSession*>(user);
  if (self->frame_failed_ || !self->pool_) return;
  const size_t pixels = static_cast<size_t>(width) * height;
  std::vector<uint8_t> rgb;
  try {
    rgb.resize(pixels * 3);
  } catch (const std::bad_alloc&) {
    self->frame_failed_ = true;
    self->frame_error_ = "out of memory for a frame of " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels";
    return;
  }
  for (size_t i = 0; i < pixels; ++i) {
    rgb[i * 3 + 0] = rgba[i * 4 + 0];
    rgb[i * 3 + 1] = rgba[i * 4 + 1];
    rgb[i * 3 + 2] = rgba[i * 4 + 2];
  }
  const std::string path = FramePath(self->options_.dir, self->frames_presented_);
  if (!self->pool_->Submit(path, static_cast<int>(width), static_cast<int>(height),
                           std::move(rgb))) {
    self->frame_failed_ = true;  // the pool tells which frame failed when it finishes
    return;
  }
  ++self->frames_presented_;
}

bool CaptureSession::OpenAudio(std::string* error) {
  // Asked after the first frame, when a music module has initialised the sound layer.
  const int rate = FSOUND_GetOutputRate();
  audio_rate_ = rate > 0 ? rate : kDefaultMixRate;
  const std::string path = (std::filesystem::path(options_.dir) / "audio.wav").string();
  wav_ = VexilSound_WavOpen(path.c_str(), audio_rate_);
  if (wav_ == nullptr) {
    *error = "cannot write \"" + path + "\": " + VexilSound_WavError();
    return false;
  }
  return true;
}

bool CaptureSession::WriteAudio(int64_t picture_frame, std::string* error) {
  if (wav_ == nullptr && !OpenAudio(error)) return false;
  const int64_t count = AudioFramesBefore(picture_frame + 1, options_.fps, audio_rate_) -
                        AudioFramesBefore(picture_frame, options_.fps, audio_rate_);
  samples_.assign(static_cast<size_t>(count) * 2, 0);
  // Without a music module nothing is initialised and the span stays silent.
  VexilSound_RenderOffline(samples_.data(), static_cast<int>(count));
  if (VexilSound_WavWrite(wav_, samples_.data(), static_cast<long>(count)) == 0) {
    *error = std::string("cannot write the capture's audio: ") + VexilSound_WavError();
    return false;
  }
  return true;
}

void CaptureSession::RemoveStaleFrames() {
  // Frames of an earlier, longer capture into the same folder would look like part of this
  // one; only files of exactly our naming pattern beyond the last frame are removed.
  static const std::regex pattern("frame-([0-9]{6})\\.png");
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(options_.dir, ec)) {
    std::smatch match;
    const std::string name = entry.path().filename().string();
    if (!std::regex_match(name, match, pattern)) continue;
    if (std::stoll(match[1].str()) >= frames_presented_) {
      std::filesystem::remove(entry.path(), ec);
    }
  }
}

bool CaptureSession::Run(CTimeline* timeline, IDirect3DDevice9* device, std::string* error) {
  const double demo_end = timeline->GetEndTime();
  if (CaptureFrameCount(options_, demo_end) > kMaxCaptureFrames) {
    const double last = options_.has_last ? std::min(options_.last_ms, demo_end) : demo_end;
    // Whole milliseconds while they read well, powers of ten beyond.
    const char* format = std::max(std::fabs(options_.first_ms), std::fabs(last)) < 1e12
                             ? "from %.0f ms to %.0f ms at %d fps"
                             : "from %.6g ms to %.6g ms at %d fps";
    char span[160];
    std::snprintf(span, sizeof span, format, options_.first_ms, last, options_.fps);
    *error = std::string("the capture ") + span + " would take more than the limit of " +
             std::to_string(kMaxCaptureFrames) +
             " frames: choose a shorter span with --from and --to";
    return false;
  }
  if (VexilSetFrameReader(device, &CaptureSession::OnFrame, this) != D3D_OK) {
    *error = "this device cannot hand its frames to a capture";
    return false;
  }
  // A few frames in flight per writer keep every core busy without piling up pictures.
  const int writers = PngWriterPool::DefaultThreads();
  pool_ = std::make_unique<PngWriterPool>(writers, static_cast<size_t>(writers) * 2);
  const bool show_progress = isatty(STDERR_FILENO) != 0;
  bool ok = true;
  for (int64_t k = 0; k < kMaxCaptureFrames; ++k) {
    if (const int signal = StopSignalReceived()) {
      stopped_by_ = signal;
      break;
    }
    const double t = CaptureFrameTime(options_, k);
    if (options_.has_last && t > options_.last_ms) break;
    if (!timeline->Render(static_cast<float>(t))) break;
    if (frame_failed_) {
      if (!frame_error_.empty()) *error = frame_error_;
      ok = false;
      break;
    }
    if (frames_presented_ != k + 1) {
      char when[64];
      std::snprintf(when, sizeof when, "%.6g ms", t);
      *error =
          std::string("the frame for ") + when + " could not be read back from the graphics device";
      ok = false;
      break;
    }
    if (!WriteAudio(k, error)) {
      ok = false;
      break;
    }
    // Long captures say how far they are, on a terminal only: logs get the summary alone.
    if (show_progress && k % options_.fps == 0) {
      std::fprintf(stderr, "\rvexil: capturing frame %" PRId64 " (%.1f s)", k, t / 1000.0);
    }
  }
  if (show_progress) std::fprintf(stderr, "\r\033[K");
  VexilSetFrameReader(device, nullptr, nullptr);
  std::string write_error;
  if (!pool_->Finish(&write_error)) {
    // A frame that could not be written outranks what it made go wrong afterwards.
    *error = write_error;
    ok = false;
  }
  frames_written_ = pool_->Written();
  pool_.reset();
  // A span without frames still gets its (empty) audio file, so no stale one stays behind.
  if (ok && wav_ == nullptr && !OpenAudio(error)) ok = false;
  if (wav_ != nullptr) {
    const bool closed = VexilSound_WavClose(wav_) != 0;
    wav_ = nullptr;
    if (!closed && ok) {
      *error = std::string("cannot finish the capture's audio: ") + VexilSound_WavError();
      ok = false;
    }
  }
  if (ok) RemoveStaleFrames();
  if (ok && stopped_by_ != 0) {
    *error = std::string("the capture was stopped by ") + StopSignalName(stopped_by_) +
             "; the frames written so far are kept";
    ok = false;
  }
  return ok;
}

}  // namespace vexil

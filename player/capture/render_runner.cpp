// The render run: outputs assembled from the options, one capture session feeding them all.
#include "render_runner.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "capture/capture_session.h"
#include "capture/hash_sinks.h"
#include "capture/png_sequence_sink.h"
#include "capture/video_sink_loader.h"
#include "capture/wav_sink.h"
#include "system/stop_signal.h"

namespace vexil {

void RenderRunner::PreparePlatform() {
  // No window and no device a person could see: render on the offscreen driver.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  // Before the platform layer starts, so that Ctrl-C and SIGTERM reach the capture loop.
  CatchStopSignals();
  TreatFileSizeLimitAsWriteError();
  PrepareOfflineSound();
}

bool RenderRunner::Prepare(PlayerOptions* options, std::string* error) {
  if (!options->capture_dir.empty() && !MakeCaptureFolder(options->capture_dir, error)) {
    return false;
  }
  if (!options->video_path.empty()) {
    video_ = OpenVideoSink(options->video_path, error);
    if (!video_) return false;
  }
  return options->verify_path.empty() || ReadVerifyManifest(options, error);
}

bool RenderRunner::ReadVerifyManifest(PlayerOptions* options, std::string* error) {
  const std::string path = options->verify_path;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    *error = "cannot read the manifest \"" + path + "\": it is not a file";
    return false;
  }
  // The manifest of the longest render vexil makes is about 60 MB; anything far larger is
  // not one, and is not read into memory.
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (!ec && size > kMaxManifestBytes) {
    *error = "cannot read the manifest \"" + path + "\": at " + std::to_string(size >> 20) +
             " MiB it is larger than any vexil makes";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string parse_error;
  if (!in || !ParseManifest(text.str(), &verify_manifest_, &parse_error)) {
    *error = "cannot read the manifest \"" + path + "\"" +
             (parse_error.empty() ? "" : ": " + parse_error);
    return false;
  }
  // The render repeats the one the manifest was made of; other settings would compare
  // different frames.
  const HashManifest& made = verify_manifest_;
  PlayerOptions& o = *options;
  const double first_time = made.frames.front().time_ms;
  const bool conflicts = (o.has_fps && o.fps != made.fps) ||
                         (o.has_size && (o.width != made.width || o.height != made.height)) ||
                         (o.has_from && o.from_ms != made.first_ms && o.from_ms != first_time) ||
                         (o.has_start && o.start_ms != made.first_ms) ||
                         (o.has_to && (!made.has_last || o.to_ms != made.last_ms));
  if (conflicts) {
    *error = "\"" + path + "\" was made at " + std::to_string(made.fps) + " fps and " +
             std::to_string(made.width) + "x" + std::to_string(made.height) +
             " pixels over its own span: leave out --fps, --size, --from, --to and --start to "
             "verify";
    return false;
  }
  if (made.fps > 1000 || made.width > kMaxRenderSize || made.height > kMaxRenderSize) {
    *error = "the manifest \"" + path + "\" asks for a render vexil does not make";
    return false;
  }
  o.has_fps = true;
  o.fps = made.fps;
  o.has_size = true;
  o.width = made.width;
  o.height = made.height;
  o.has_from = true;
  o.from_ms = made.first_ms;
  o.has_to = made.has_last;
  o.to_ms = made.last_ms;
  return true;
}

CaptureOptions RenderSpan(const PlayerOptions& options, double start_ms) {
  CaptureOptions capture;
  capture.fps = options.fps;
  capture.has_last = options.has_to;
  capture.last_ms = options.to_ms;
  // Frames are numbered from the render's start, so that a frame keeps its number and time
  // whether a whole render, a later start (--from) or a piece renders it. --from picks the
  // first frame at or after its time; one before the start moves the start there.
  capture.first_ms = start_ms;
  if (options.has_from && options.from_ms < start_ms) capture.first_ms = options.from_ms;
  if (options.has_from) {
    capture.first_index = FirstFrameAtOrAfter(capture, options.from_ms);
    // A --from between two frames of the render still shows exactly its time first (as a
    // render of one moment asks): the grid moves there, numbered as the next frame.
    if (CaptureFrameTime(capture, capture.first_index) != options.from_ms) {
      capture.first_ms = options.from_ms - capture.first_index * 1000.0 / capture.fps;
      while (CaptureFrameTime(capture, capture.first_index) > options.from_ms) {
        capture.first_ms = std::nextafter(capture.first_ms, -HUGE_VAL);
      }
    }
  }
  capture.replay_from = capture.first_index;
  if (options.has_frames) {
    // Numbers of the render --from and --to (or the demo) make; frames outside are not made.
    capture.first_index = std::max(capture.first_index, options.first_frame);
    capture.has_last_index = options.has_last_frame;
    capture.last_index = options.last_frame;
  }
  if (options.has_chunk) {
    capture.chunk_index = options.chunk_index;
    capture.chunk_count = options.chunk_count;
  }
  capture.audio_only = !options.audio_only_path.empty();
  return capture;
}

int RenderRunner::Run(const PlayerOptions& options, DemoParts* demo, const PlayerSettings& settings,
                      std::string* error) {
  CaptureOptions capture = RenderSpan(options, settings.starttime);
  if (!options.verify_path.empty()) {
    // The manifest's own start and frames, a piece's included.
    const HashManifest& made = verify_manifest_;
    capture.first_ms = made.first_ms;
    capture.first_index = made.first_index;
    capture.has_last_index = made.piece;
    capture.last_index = made.last_index;
    capture.replay_from = made.piece ? made.replay_from : made.first_index;
  }

  // One render feeds every output asked for.
  std::vector<std::unique_ptr<FrameSink>> owned;
  std::vector<WrittenOutput> written;
  if (!options.capture_dir.empty()) {
    owned.push_back(std::make_unique<PngSequenceSink>(options.capture_dir));
    written.push_back({options.capture_dir, owned.back().get()});
  }
  if (!options.audio_only_path.empty()) {
    owned.push_back(std::make_unique<WavSink>(options.audio_only_path));
    written.push_back({options.audio_only_path, owned.back().get()});
  }
  if (video_) {
    owned.push_back(std::move(video_));
    written.push_back({options.video_path, owned.back().get()});
  }
  if (!options.hashes_path.empty()) {
    owned.push_back(
        std::make_unique<HashManifestSink>(options.hashes_path, capture.has_last, capture.last_ms));
    written.push_back({options.hashes_path, owned.back().get()});
  }
  VerifySink* verify = nullptr;
  if (!options.verify_path.empty()) {
    auto sink = std::make_unique<VerifySink>(verify_manifest_);
    verify = sink.get();
    owned.push_back(std::move(sink));
  }
  std::vector<FrameSink*> sinks;
  for (const auto& sink : owned) sinks.push_back(sink.get());

  CaptureSession session(capture, sinks);
  const bool ok = session.Run(&demo->timeline, demo->demoDevice.m_pD3DDevice, settings.width,
                              settings.height, error);
  int status = ok ? 0 : 1;
  // Stopped by a signal: the status tells it the way shells do (128 + the signal's number).
  if (session.stopped_by() != 0) status = 128 + session.stopped_by();
  // Also after a failure: only what reached a complete file is counted.
  for (const std::string& line :
       RenderSummary(written, capture.fps, settings.width, settings.height)) {
    std::printf("vexil: %s\n", line.c_str());
  }
  if (ok && verify) {
    for (const std::string& line : VerifyReport(verify->outcome(), options.verify_path)) {
      std::printf("vexil: %s\n", line.c_str());
    }
    if (!verify->outcome().matches() && status == 0) status = 1;
  }
  return status;
}

}  // namespace vexil

// PNG frames on worker threads and a streaming WAV file.
#include "png_sequence_sink.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>
#include <vector>

namespace vexil {

std::string FramePath(const std::string& dir, int64_t k) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%06" PRId64 ".png", k);
  return (std::filesystem::path(dir) / name).string();
}

bool MakeCaptureFolder(const std::string& dir, std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir)) {
    *error = "cannot create the capture folder \"" + dir + "\"" +
             (ec ? ": " + ec.message() : std::string());
    return false;
  }
  return true;
}

PngSequenceSink::PngSequenceSink(std::string dir) : dir_(std::move(dir)) {}

bool PngSequenceSink::Begin(const RenderFormat& format, std::string* error) {
  format_ = format;
  if (!MakeCaptureFolder(dir_, error)) return false;
  if (format.piece) {
    // Pieces share the folder: each locks its own frames, and none writes the music.
    char name[64];
    std::snprintf(name, sizeof name, "frames-%06" PRId64 "-%06" PRId64, format.first_index,
                  format.last_index);
    if (!lock_.Acquire((std::filesystem::path(dir_) / name).string(), false, error)) return false;
  } else {
    if (!lock_.Acquire(dir_, /*is_folder=*/true, error)) return false;
    wav_ = std::make_unique<WavSink>((std::filesystem::path(dir_) / "audio.wav").string(),
                                     /*lock=*/false, "the capture's audio");
    if (!wav_->Begin(format, error)) return false;
  }
  // A few frames in flight per writer keep every core busy without piling up pictures.
  const int writers = PngWriterPool::DefaultThreads();
  pool_ = std::make_unique<PngWriterPool>(writers, static_cast<size_t>(writers) * 2);
  return true;
}

bool PngSequenceSink::AddFrame(const RenderedFrame& frame, std::string* error) {
  const size_t bytes = static_cast<size_t>(format_.width) * format_.height * 3;
  std::vector<uint8_t> rgb(frame.rgb, frame.rgb + bytes);
  if (!pool_->Submit(FramePath(dir_, frame.index), format_.width, format_.height, std::move(rgb))) {
    // The pool names the frame that failed.
    pool_->Finish(error);
    return false;
  }
  frames_submitted_ = frame.index + 1;
  return true;
}

bool PngSequenceSink::AddAudio(const int16_t* samples, int64_t frames, std::string* error) {
  return wav_ == nullptr || wav_->AddAudio(samples, frames, error);
}

bool PngSequenceSink::Finish(RenderEnd end, std::string* error) {
  bool ok = true;
  if (pool_ && !pool_->Finish(error)) ok = false;
  if (pool_) frames_written_ = pool_->Written();
  pool_.reset();
  // The music so far stays with the frames so far, as a complete file.
  std::string wav_error;
  if (wav_ && !wav_->Finish(end, &wav_error) && ok) {
    *error = wav_error;
    ok = false;
  }
  wav_.reset();
  // A stopped render is a shorter one: its folder holds that render alone, too. The frames of
  // other pieces in a shared folder are theirs.
  if (ok && end != RenderEnd::kFailed && !format_.piece) RemoveStaleFrames();
  return ok;
}

void PngSequenceSink::RemoveStaleFrames() {
  // Frames of an earlier, longer capture into the same folder would look like part of this
  // one; only files of exactly our naming pattern beyond the last frame are removed.
  static const std::regex pattern("frame-([0-9]{6,18})\\.png");
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir_, ec)) {
    std::smatch match;
    const std::string name = entry.path().filename().string();
    if (!std::regex_match(name, match, pattern)) continue;
    const long long number = std::stoll(match[1].str());
    if (number >= frames_submitted_ || number < format_.first_index) {
      std::filesystem::remove(entry.path(), ec);
    }
  }
}

}  // namespace vexil

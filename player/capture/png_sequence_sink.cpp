// PNG frames on worker threads and a streaming WAV file.
#include "png_sequence_sink.h"

#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <system_error>
#include <vector>

#include "fsound/fsound.h"

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

PngSequenceSink::~PngSequenceSink() {
  if (wav_ != nullptr) VexilSound_WavClose(wav_);
}

bool PngSequenceSink::Begin(const RenderFormat& format, std::string* error) {
  format_ = format;
  if (!MakeCaptureFolder(dir_, error)) return false;
  if (!lock_.Acquire(dir_, /*is_folder=*/true, error)) return false;
  const std::string path = (std::filesystem::path(dir_) / "audio.wav").string();
  std::string why;
  if (!wav_file_.Open(path, &why)) {
    *error = "cannot write \"" + path + "\": " + why;
    return false;
  }
  wav_ = VexilSound_WavOpenFd(wav_file_.fd(), format.audio_rate);
  if (wav_ == nullptr) {
    *error = "cannot write \"" + path + "\": " + VexilSound_WavError();
    return false;
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
  if (VexilSound_WavWrite(wav_, samples, static_cast<long>(frames)) == 0) {
    *error = std::string("cannot write the capture's audio: ") + VexilSound_WavError();
    return false;
  }
  return true;
}

bool PngSequenceSink::Finish(RenderEnd end, std::string* error) {
  bool ok = true;
  if (pool_ && !pool_->Finish(error)) ok = false;
  if (pool_) frames_written_ = pool_->Written();
  pool_.reset();
  if (wav_ != nullptr) {
    const bool closed = VexilSound_WavClose(wav_) != 0;
    wav_ = nullptr;
    if (!closed && ok) {
      *error = std::string("cannot finish the capture's audio: ") + VexilSound_WavError();
      ok = false;
    }
    // The music so far stays with the frames so far, as a complete file.
    std::string why;
    if (closed && !wav_file_.Commit(&why) && ok) {
      *error = "cannot finish the capture's audio: " + why;
      ok = false;
    }
    wav_file_.Abort();
  }
  // A stopped render is a shorter one: its folder holds that render alone, too.
  if (ok && end != RenderEnd::kFailed) RemoveStaleFrames();
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
    if (std::stoll(match[1].str()) >= frames_submitted_) {
      std::filesystem::remove(entry.path(), ec);
    }
  }
}

}  // namespace vexil

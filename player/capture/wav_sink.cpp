// A streaming WAV output through the sound layer's writer.
#include "wav_sink.h"

#include "fsound/fsound.h"

namespace vexil {

WavSink::WavSink(std::string path, bool lock, std::string name)
    : path_(std::move(path)), lock_output_(lock), name_(std::move(name)) {
  if (name_.empty()) name_ = "\"" + path_ + "\"";
}

WavSink::~WavSink() {
  if (wav_ != nullptr) VexilSound_WavClose(wav_);
}

bool WavSink::Begin(const RenderFormat& format, std::string* error) {
  if (lock_output_ && !lock_.Acquire(path_, /*is_folder=*/false, error)) return false;
  std::string why;
  if (!file_.Open(path_, &why)) {
    *error = "cannot write \"" + path_ + "\": " + why;
    return false;
  }
  wav_ = VexilSound_WavOpenFd(file_.fd(), format.audio_rate);
  if (wav_ == nullptr) {
    *error = "cannot write \"" + path_ + "\": " + VexilSound_WavError();
    return false;
  }
  return true;
}

bool WavSink::AddAudio(const int16_t* samples, int64_t frames, std::string* error) {
  if (VexilSound_WavWrite(wav_, samples, static_cast<long>(frames)) == 0) {
    *error = "cannot write " + name_ + ": " + VexilSound_WavError();
    return false;
  }
  ++spans_added_;
  return true;
}

bool WavSink::Finish(RenderEnd, std::string* error) {
  if (wav_ == nullptr) return true;
  const bool closed = VexilSound_WavClose(wav_) != 0;
  wav_ = nullptr;
  std::string why;
  if (!closed) {
    *error = "cannot finish " + name_ + ": " + VexilSound_WavError();
  } else if (!file_.Commit(&why)) {
    *error = "cannot finish " + name_ + ": " + why;
  } else {
    frames_written_ = spans_added_;
    return true;
  }
  file_.Abort();
  return false;
}

}  // namespace vexil

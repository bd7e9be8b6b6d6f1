// 16-bit stereo PCM WAV writing through libsndfile, for the capture mode's audio track.
// The header is rewritten after each write, so a capture cut short still leaves a valid file.
#include <sndfile.h>

#include <string>

#include "fsound/fsound.h"

struct VexilWavWriter {
  SNDFILE* file = nullptr;
  bool failed = false;
};

namespace {

thread_local std::string t_wav_error;

void SetError(const std::string& text) {
  t_wav_error = text;
}

VexilWavWriter* OpenWith(const char* path, int fd, int sample_rate) {
  if ((!path && fd < 0) || sample_rate <= 0) {
    SetError("invalid WAV path or sample rate");
    return nullptr;
  }
  SF_INFO info{};
  info.samplerate = sample_rate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file =
      path ? sf_open(path, SFM_WRITE, &info) : sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
  if (!file) {
    SetError(std::string("cannot write ") + (path ? path : "the audio") + ": " +
             sf_strerror(nullptr));
    return nullptr;
  }
  sf_command(file, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
  t_wav_error.clear();
  return new VexilWavWriter{file, false};
}

}  // namespace

extern "C" {

const char* VexilSound_WavError(void) {
  return t_wav_error.c_str();
}

VexilWavWriter* VexilSound_WavOpen(const char* path, int sample_rate) {
  if (!path) {
    SetError("invalid WAV path or sample rate");
    return nullptr;
  }
  return OpenWith(path, -1, sample_rate);
}

VexilWavWriter* VexilSound_WavOpenFd(int fd, int sample_rate) {
  return OpenWith(nullptr, fd, sample_rate);
}

int VexilSound_WavWrite(VexilWavWriter* writer, const int16_t* samples, long frames) {
  if (!writer || frames < 0 || (!samples && frames > 0)) {
    SetError("invalid WAV write arguments");
    return 0;
  }
  if (frames == 0) return 1;
  const sf_count_t written = sf_writef_short(writer->file, samples, frames);
  if (written != frames) {
    SetError(std::string("WAV write failed: ") + sf_strerror(writer->file));
    writer->failed = true;
    return 0;
  }
  return 1;
}

int VexilSound_WavClose(VexilWavWriter* writer) {
  if (!writer) return 0;
  bool ok = !writer->failed;
  if (sf_close(writer->file) != 0) {
    SetError("WAV close failed");
    ok = false;
  }
  delete writer;
  return ok ? 1 : 0;
}

int VexilSound_WriteWav(const char* path, const int16_t* samples, long frames) {
  VexilWavWriter* writer = VexilSound_WavOpen(path, 44100);
  if (!writer) return 0;
  const int wrote = VexilSound_WavWrite(writer, samples, frames);
  const int closed = VexilSound_WavClose(writer);
  return wrote && closed;
}

}  // extern "C"

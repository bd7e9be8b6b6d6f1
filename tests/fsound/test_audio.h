// Generated test audio for the sound layer's tests: known sample patterns written with libsndfile
// in several formats, and helpers to drive the offline renderer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fsound_test {

struct Audio {
  int rate = 44100;
  int channels = 2;
  std::vector<int16_t> samples;  // interleaved
  long frames() const { return static_cast<long>(samples.size()) / channels; }
};

// Every frame distinct: exact comparisons tell which frame came out.
Audio MakeRamp(int rate, int channels, long frames);
Audio MakeSine(int rate, int channels, long frames, double hz, double amplitude);

// Writes `audio` in the libsndfile `format` (e.g. SF_FORMAT_WAV | SF_FORMAT_PCM_16) to a fresh
// file in the test temporary folder and returns its path.
std::string WriteAudioFile(const Audio& audio, int format, const std::string& name);
std::vector<uint8_t> ReadBytes(const std::string& path);
// Decodes a file with libsndfile to 16-bit samples (the reference for mixer output).
Audio DecodeFile(const std::string& path);
// The same through float samples, clipped: lossy decoders overshoot full scale, and libsndfile's
// own 16-bit conversion wraps such samples around instead of clipping them.
Audio DecodeFileClipped(const std::string& path);

// Mixes `frames` frames offline (the sound system must be initialised in offline mode).
std::vector<int16_t> RenderOffline(int frames);

// Maximum absolute difference of a sine of `hz` starting at `start_frame` and the left channel.
double SineError(const std::vector<int16_t>& stereo, double hz, double amplitude, int rate,
                 long start_frame);

}  // namespace fsound_test

// Test audio generation, file writing and decoding through libsndfile.
#include "test_audio.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "fsound/fsound.h"

namespace fsound_test {

Audio MakeRamp(int rate, int channels, long frames) {
  Audio audio;
  audio.rate = rate;
  audio.channels = channels;
  audio.samples.resize(static_cast<size_t>(frames) * channels);
  for (long i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      audio.samples[i * channels + c] = static_cast<int16_t>((i * 3 + c * 12345) & 0xFFFF);
    }
  }
  return audio;
}

Audio MakeSine(int rate, int channels, long frames, double hz, double amplitude) {
  Audio audio;
  audio.rate = rate;
  audio.channels = channels;
  audio.samples.resize(static_cast<size_t>(frames) * channels);
  for (long i = 0; i < frames; ++i) {
    const double v = amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(i) / rate);
    for (int c = 0; c < channels; ++c) {
      audio.samples[i * channels + c] = static_cast<int16_t>(std::lrint(v * 32767.0));
    }
  }
  return audio;
}

std::string WriteAudioFile(const Audio& audio, int format, const std::string& name) {
  const std::string path = testing::TempDir() + "/" + name;
  SF_INFO info{};
  info.samplerate = audio.rate;
  info.channels = audio.channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  EXPECT_NE(nullptr, file) << "cannot write test audio " << path << ": " << sf_strerror(nullptr);
  if (!file) return path;
  EXPECT_EQ(audio.frames(), sf_writef_short(file, audio.samples.data(), audio.frames()));
  sf_close(file);
  return path;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Audio DecodeFile(const std::string& path) {
  Audio audio;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  EXPECT_NE(nullptr, file) << path;
  if (!file) return audio;
  audio.rate = info.samplerate;
  audio.channels = info.channels;
  audio.samples.resize(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_short(file, audio.samples.data(), info.frames);
  sf_close(file);
  return audio;
}

Audio DecodeFileClipped(const std::string& path) {
  Audio audio;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  EXPECT_NE(nullptr, file) << path;
  if (!file) return audio;
  audio.rate = info.samplerate;
  audio.channels = info.channels;
  std::vector<float> samples(static_cast<size_t>(info.frames) * info.channels);
  sf_readf_float(file, samples.data(), info.frames);
  sf_close(file);
  audio.samples.reserve(samples.size());
  for (float s : samples) {
    audio.samples.push_back(
        static_cast<int16_t>(std::lrint(std::clamp(s * 32768.0f, -32768.0f, 32767.0f))));
  }
  return audio;
}

std::vector<int16_t> RenderOffline(int frames) {
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0x5555);
  EXPECT_EQ(frames, VexilSound_RenderOffline(out.data(), frames));
  return out;
}

double SineError(const std::vector<int16_t>& stereo, double hz, double amplitude, int rate,
                 long start_frame) {
  double worst = 0;
  const long frames = static_cast<long>(stereo.size() / 2);
  for (long i = 0; i < frames; ++i) {
    const double expected =
        amplitude * std::sin(2.0 * M_PI * hz * static_cast<double>(start_frame + i) / rate);
    worst = std::max(worst, std::fabs(expected - stereo[2 * i] / 32768.0));
  }
  return worst;
}

}  // namespace fsound_test

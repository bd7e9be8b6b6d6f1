// Decoding of the formats demo music comes in (WAV, FLAC, OGG/Vorbis, MP3 where libsndfile has
// it, headerless raw), channel layouts, file windows and resampling to the mix rate.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fsound/fsound.h"
#include "support/offline_sound.h"
#include "test_audio.h"

namespace {

using fsound_test::Audio;
using fsound_test::RenderOffline;

constexpr unsigned kFileMode = 0x20132;

class OfflineFormats : public vexil::test::OfflineSoundTest {
 protected:
  static FSOUND_STREAM* OpenAndPlay(const std::string& path, unsigned mode = kFileMode) {
    FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), mode, 0, 0);
    EXPECT_NE(nullptr, stream) << path << " error " << FSOUND_GetError();
    if (stream) {
      EXPECT_EQ(0, FSOUND_Stream_Play(0, stream));
    }
    return stream;
  }
};

TEST_F(OfflineFormats, FlacIsBitExact) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 10000);
  const auto path =
      fsound_test::WriteAudioFile(audio, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "ramp.flac");
  ASSERT_NE(nullptr, OpenAndPlay(path));
  EXPECT_EQ(audio.samples, RenderOffline(10000));
}

TEST_F(OfflineFormats, OggVorbisSeeksToThePhaseOfTheTone) {
  const Audio audio = fsound_test::MakeSine(44100, 2, 3 * 44100, 441.0, 0.5);
  const auto path =
      fsound_test::WriteAudioFile(audio, SF_FORMAT_OGG | SF_FORMAT_VORBIS, "tone.ogg");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  EXPECT_NEAR(3000, FSOUND_Stream_GetLengthMs(stream), 1);
  // 1.5 ms into a 441 Hz period: a wrong position shows as a phase error far above the tolerance.
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 1001));
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  EXPECT_LT(fsound_test::SineError(RenderOffline(4410), 441.0, 0.5, 44100, 44144), 0.03);

  // And the offline mix matches libsndfile's own decoding of the file from the start.
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 0));
  const Audio decoded = fsound_test::DecodeFileClipped(path);
  const auto out = RenderOffline(20000);
  for (size_t i = 0; i < out.size(); ++i) {
    ASSERT_NEAR(decoded.samples[i], out[i], 1) << "sample " << i;
  }
}

TEST_F(OfflineFormats, Mp3DecodesWhenLibsndfileSupportsIt) {
  const Audio audio = fsound_test::MakeSine(44100, 2, 44100, 441.0, 0.5);
  const std::string path = testing::TempDir() + "/tone.mp3";
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) GTEST_SKIP() << "this libsndfile cannot write MP3";
  sf_writef_short(file, audio.samples.data(), audio.frames());
  sf_close(file);

  const Audio decoded = fsound_test::DecodeFileClipped(path);
  ASSERT_GT(decoded.frames(), 40000);
  ASSERT_NE(nullptr, OpenAndPlay(path));
  const auto out = RenderOffline(10000);
  for (size_t i = 0; i < out.size(); ++i) {
    ASSERT_NEAR(decoded.samples[i], out[i], 1) << "sample " << i;
  }
}

TEST_F(OfflineFormats, MonoPlaysOnBothSides) {
  const Audio audio = fsound_test::MakeRamp(44100, 1, 4000);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "m.wav");
  ASSERT_NE(nullptr, OpenAndPlay(path));
  const auto out = RenderOffline(4000);
  for (int i = 0; i < 4000; ++i) {
    ASSERT_EQ(audio.samples[i], out[2 * i]) << "frame " << i;
    ASSERT_EQ(audio.samples[i], out[2 * i + 1]) << "frame " << i;
  }
}

TEST_F(OfflineFormats, OtherRatesAreResampledToTheMixRate) {
  for (int rate : {22050, 48000}) {
    SCOPED_TRACE(rate);
    const Audio audio = fsound_test::MakeSine(rate, 2, rate, 441.0, 0.5);
    const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                                                  "rate" + std::to_string(rate) + ".wav");
    FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
    ASSERT_NE(nullptr, stream);
    EXPECT_EQ(1000, FSOUND_Stream_GetLengthMs(stream));
    ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 500));
    ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
    // The same tone, exactly in phase with the requested position: the resampler adds no delay
    // and its rational step never drifts.
    const auto out = RenderOffline(44100 / 2 + 500);
    EXPECT_LT(fsound_test::SineError(out, 441.0, 0.5, 44100, 22050), 0.005);
    EXPECT_TRUE(FSOUND_IsPlaying(0)) << "looping goes on past the end";
    FSOUND_Stream_Close(stream);

    // Without looping the resampled piece lasts as long as the original, to the frame.
    stream = FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_OFF, 0, 0);
    ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
    const auto whole = RenderOffline(44200);
    long last_sound = 0;
    for (long i = 0; i < 44200; ++i) {
      if (whole[2 * i] != 0) last_sound = i;
    }
    EXPECT_NEAR(44100, last_sound, 16);
    EXPECT_FALSE(FSOUND_IsPlaying(0));
    FSOUND_Stream_Close(stream);
  }
}

TEST_F(OfflineFormats, FileWindowAndRawData) {
  // A WAV stored inside a larger file at an offset (a pack file), opened by offset and length.
  const Audio audio = fsound_test::MakeRamp(44100, 2, 2000);
  const auto wav = fsound_test::ReadBytes(
      fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "inner.wav"));
  std::vector<uint8_t> pack(777 + wav.size() + 500, 0xCD);
  std::fill(pack.begin(), pack.begin() + 777, 0xAB);
  std::copy(wav.begin(), wav.end(), pack.begin() + 777);
  const std::string pack_path = testing::TempDir() + "/music.pak";
  FILE* f = std::fopen(pack_path.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  std::fwrite(pack.data(), 1, pack.size(), f);
  std::fclose(f);

  FSOUND_STREAM* stream =
      FSOUND_Stream_Open(pack_path.c_str(), FSOUND_LOOP_OFF, 777, static_cast<int>(wav.size()));
  ASSERT_NE(nullptr, stream) << FSOUND_GetError();
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  auto out = RenderOffline(2000);
  EXPECT_EQ(audio.samples, out);
  FSOUND_Stream_Close(stream);

  // Headerless 16-bit stereo from memory.
  const char* raw = reinterpret_cast<const char*>(audio.samples.data());
  stream = FSOUND_Stream_Open(raw,
                              FSOUND_LOADMEMORY | FSOUND_LOADRAW | FSOUND_16BITS | FSOUND_STEREO |
                                  FSOUND_SIGNED | FSOUND_LOOP_OFF,
                              0, static_cast<int>(audio.samples.size() * 2));
  ASSERT_NE(nullptr, stream) << FSOUND_GetError();
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  out = RenderOffline(2000);
  EXPECT_EQ(audio.samples, out);
}

}  // namespace

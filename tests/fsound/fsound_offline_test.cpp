// Stream behaviour pulled through the offline renderer: what comes out must be exactly the
// decoded data, at the position asked for, looping or ending as the mode says.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fsound/fsound.h"
#include "support/offline_sound.h"
#include "test_audio.h"

namespace {

using fsound_test::Audio;
using fsound_test::RenderOffline;

constexpr unsigned kFileMode = 0x20132;    // looping, as the music module opens files
constexpr unsigned kMemoryMode = 0x28132;  // the same from memory
constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

class OfflineStream : public vexil::test::OfflineSoundTest {
 protected:
  // Expects `out` to hold the frames of `audio` starting at `first`, wrapping at its end.
  static void ExpectFrames(const Audio& audio, long first, const std::vector<int16_t>& out,
                           const char* what) {
    const long frames = static_cast<long>(out.size() / 2);
    for (long i = 0; i < frames; ++i) {
      const long src = (first + i) % audio.frames();
      ASSERT_EQ(audio.samples[2 * src], out[2 * i]) << what << ": frame " << i;
      ASSERT_EQ(audio.samples[2 * src + 1], out[2 * i + 1]) << what << ": frame " << i;
    }
  }
  static bool AllSilent(const std::vector<int16_t>& out) {
    for (int16_t s : out) {
      if (s != 0) return false;
    }
    return true;
  }
};

TEST_F(OfflineStream, RenderEqualsDecodedDataFromFileAndMemory) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 30000);
  const auto path = fsound_test::WriteAudioFile(audio, kWav16, "ramp.wav");

  FSOUND_STREAM* from_file = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, from_file);
  EXPECT_EQ(680, FSOUND_Stream_GetLengthMs(from_file));
  ASSERT_EQ(0, FSOUND_Stream_Play(0, from_file));
  ExpectFrames(audio, 0, RenderOffline(12345), "from file");
  FSOUND_Stream_Close(from_file);

  // The caller's block may go away right after opening: the stream keeps its own copy.
  auto* bytes = new std::vector<uint8_t>(fsound_test::ReadBytes(path));
  FSOUND_STREAM* from_memory = FSOUND_Stream_Open(reinterpret_cast<const char*>(bytes->data()),
                                                  kMemoryMode, 0, static_cast<int>(bytes->size()));
  std::memset(bytes->data(), 0, bytes->size());
  delete bytes;
  ASSERT_NE(nullptr, from_memory);
  ASSERT_EQ(0, FSOUND_Stream_Play(0, from_memory));
  ExpectFrames(audio, 0, RenderOffline(12345), "from memory");
}

// The owner of a block shared with a stream: counts the releases and frees the bytes then.
struct SharedMusic {
  std::vector<uint8_t> bytes;
  int releases = 0;
  static void Release(void* context) {
    auto* music = static_cast<SharedMusic*>(context);
    ++music->releases;
    music->bytes.clear();
    music->bytes.shrink_to_fit();
  }
  FSOUND_STREAM* Open(unsigned mode) {
    return VexilSound_Stream_OpenShared(reinterpret_cast<const char*>(bytes.data()), mode,
                                        static_cast<int>(bytes.size()), Release, this);
  }
};

TEST_F(OfflineStream, SharedBlockPlaysLikeACopyAndIsReleasedOnceWhenTheStreamCloses) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 30000);
  SharedMusic music{fsound_test::ReadBytes(fsound_test::WriteAudioFile(audio, kWav16, "s.wav"))};

  FSOUND_STREAM* stream = music.Open(kFileMode);  // memory is implied
  ASSERT_NE(nullptr, stream);
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  ExpectFrames(audio, 0, RenderOffline(12345), "shared");
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 300));
  ExpectFrames(audio, 13230, RenderOffline(3000), "shared, after a seek");
  EXPECT_EQ(0, music.releases) << "the stream still reads the block";
  ASSERT_TRUE(FSOUND_Stream_Close(stream));
  EXPECT_EQ(1, music.releases);

  // Closing the sound system lets go of the streams left open.
  SharedMusic left{fsound_test::ReadBytes(fsound_test::WriteAudioFile(audio, kWav16, "l.wav"))};
  ASSERT_NE(nullptr, left.Open(kMemoryMode));
  FSOUND_Close();
  EXPECT_EQ(1, left.releases);
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));

  // A failed open gives the block back before it returns, whatever failed.
  SharedMusic noise{std::vector<uint8_t>(4096, 0x5a)};
  EXPECT_EQ(nullptr, noise.Open(kMemoryMode));
  EXPECT_EQ(FMOD_ERR_FILE_FORMAT, FSOUND_GetError());
  EXPECT_EQ(1, noise.releases);
  SharedMusic empty;
  EXPECT_EQ(nullptr, empty.Open(kMemoryMode));
  EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
  EXPECT_EQ(1, empty.releases);
  FSOUND_Close();
  SharedMusic early{std::vector<uint8_t>(64, 1)};
  EXPECT_EQ(nullptr, early.Open(kMemoryMode));
  EXPECT_EQ(FMOD_ERR_UNINITIALIZED, FSOUND_GetError());
  EXPECT_EQ(1, early.releases);
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
}

TEST_F(OfflineStream, SeekThenReadGivesTheSamplesAtThatPosition) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 88200);
  const auto path = fsound_test::WriteAudioFile(audio, kWav16, "seek.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);

  // The module's order: set the time, then play.
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 1250));
  EXPECT_EQ(1250, FSOUND_Stream_GetTime(stream));
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  ExpectFrames(audio, 55125, RenderOffline(2000), "after SetTime(1250)");
  EXPECT_EQ(1250 + 2000 * 1000 / 44100, FSOUND_Stream_GetTime(stream));

  // Seeking while playing takes effect at the next rendered frame, with nothing of the old
  // position left in the output.
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 300));
  ExpectFrames(audio, 13230, RenderOffline(3000), "after SetTime(300) while playing");

  ASSERT_TRUE(FSOUND_Stream_SetPosition(stream, 777));
  ExpectFrames(audio, 777, RenderOffline(100), "after SetPosition(777)");
  EXPECT_EQ(877u, FSOUND_Stream_GetPosition(stream));
}

TEST_F(OfflineStream, LoopingStreamWrapsSeamlessly) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 5000);
  const auto path = fsound_test::WriteAudioFile(audio, kWav16, "loop.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  ExpectFrames(audio, 0, RenderOffline(23456), "looping");
  EXPECT_TRUE(FSOUND_IsPlaying(0));
  EXPECT_EQ((23456 % 5000) * 1000 / 44100, FSOUND_Stream_GetTime(stream));

  // A time past the end of a looping stream lands where the loop would be by then.
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 1000));  // 44100 frames = 8 loops + 4100
  ExpectFrames(audio, 4100, RenderOffline(2000), "seek past the end");
}

TEST_F(OfflineStream, NonLoopingStreamEndsAndCanBeReplayed) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 3000);
  const auto path = fsound_test::WriteAudioFile(audio, kWav16, "once.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_OFF, 0, 0);
  ASSERT_NE(nullptr, stream);
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  const auto out = RenderOffline(5000);
  ExpectFrames(audio, 0, std::vector<int16_t>(out.begin(), out.begin() + 6000), "once");
  EXPECT_TRUE(AllSilent(std::vector<int16_t>(out.begin() + 6000, out.end())));
  EXPECT_FALSE(FSOUND_IsPlaying(0));

  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream)) << "playing an ended stream starts it over";
  ExpectFrames(audio, 0, RenderOffline(1000), "replayed");

  // Past the end of a non-looping stream there is nothing left to play.
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 5000));
  EXPECT_TRUE(AllSilent(RenderOffline(500)));
  EXPECT_FALSE(FSOUND_IsPlaying(0));
}

TEST_F(OfflineStream, StopSilencesAndRewinds) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 20000);
  const auto path = fsound_test::WriteAudioFile(audio, kWav16, "stop.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  EXPECT_TRUE(AllSilent(RenderOffline(1000))) << "opened but not played";
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  RenderOffline(4000);
  ASSERT_TRUE(FSOUND_Stream_Stop(stream));
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  EXPECT_TRUE(AllSilent(RenderOffline(1000)));
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  ExpectFrames(audio, 0, RenderOffline(500), "played again after stop");
}

TEST_F(OfflineStream, PauseHoldsThePositionAndVolumeScales) {
  const Audio audio = fsound_test::MakeSine(44100, 2, 44100, 441.0, 0.5);
  const auto path = fsound_test::WriteAudioFile(audio, kWav16, "sine.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  ASSERT_EQ(3, FSOUND_Stream_Play(3, stream));
  RenderOffline(1000);
  ASSERT_TRUE(FSOUND_SetPaused(3, 1));
  EXPECT_TRUE(AllSilent(RenderOffline(700)));
  ASSERT_TRUE(FSOUND_SetPaused(3, 0));
  ExpectFrames(audio, 1000, RenderOffline(500), "resumed where it paused");

  ASSERT_TRUE(FSOUND_SetVolume(3, 0));
  EXPECT_TRUE(AllSilent(RenderOffline(300)));
  ASSERT_TRUE(FSOUND_SetVolume(3, 255));
  ASSERT_TRUE(FSOUND_SetSFXMasterVolume(51));  // a fifth
  const auto quiet = RenderOffline(441);
  EXPECT_LT(fsound_test::SineError(quiet, 441.0, 0.1, 44100, 1800), 0.001);
}

TEST_F(OfflineStream, TwoStreamsMixAndClip) {
  const Audio loud = fsound_test::MakeSine(44100, 2, 44100, 441.0, 0.9);
  const auto path = fsound_test::WriteAudioFile(loud, kWav16, "loud.wav");
  FSOUND_STREAM* a = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  FSOUND_STREAM* b = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_EQ(0, FSOUND_Stream_Play(FSOUND_FREE, a));
  ASSERT_EQ(1, FSOUND_Stream_Play(FSOUND_FREE, b));
  const auto out = RenderOffline(100);
  for (int i = 0; i < 100; ++i) {
    const int expected = std::clamp(2 * loud.samples[2 * i], -32768, 32767);
    ASSERT_NEAR(expected, out[2 * i], 1) << "frame " << i;
  }
}

TEST_F(OfflineStream, TheClockCountsRenderedFramesAndStartsAgainWithTheSystem) {
  int64_t frame = -1;
  int first_epoch = 0;
  ASSERT_TRUE(VexilSound_GetClock(&frame, &first_epoch));
  EXPECT_EQ(0, frame);
  RenderOffline(1234);
  RenderOffline(766);
  ASSERT_TRUE(VexilSound_GetClock(&frame, nullptr));
  EXPECT_EQ(2000, frame) << "offline, the clock is exactly the frames rendered";
  FSOUND_Close();
  EXPECT_FALSE(VexilSound_GetClock(&frame, nullptr)) << "no clock without a sound system";
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  int second_epoch = 0;
  ASSERT_TRUE(VexilSound_GetClock(&frame, &second_epoch));
  EXPECT_EQ(0, frame);
  EXPECT_NE(first_epoch, second_epoch) << "a reader can tell that the clock began anew";
}

TEST_F(OfflineStream, ASeekWhilePlayingIsHeardFromTheNextFrameOn) {
  const Audio audio = fsound_test::MakeRamp(44100, 2, 88200);
  const auto path = fsound_test::WriteAudioFile(audio, kWav16, "reseek.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  ExpectFrames(audio, 0, RenderOffline(1500), "before the seek");
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 1000));
  ExpectFrames(audio, 44100, RenderOffline(2000), "right after the seek, from its first frame");
  // A pause and a seek while paused: the new place is heard when playing resumes, at once.
  ASSERT_TRUE(FSOUND_SetPaused(0, 1));
  EXPECT_TRUE(AllSilent(RenderOffline(400)));
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 250));
  EXPECT_TRUE(AllSilent(RenderOffline(900)));
  ASSERT_TRUE(FSOUND_SetPaused(0, 0));
  ExpectFrames(audio, 11025, RenderOffline(700), "resumed at the place sought while paused");
}

}  // namespace

// Real-time playback through SDL's audio device (the dummy driver under test): the feeder and
// the audio callback run, positions advance with the clock, and everything shuts down promptly.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "fsound/fsound.h"
#include "test_audio.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr unsigned kFileMode = 0x20132;

// Polls `done` until it holds or `timeout` passes; returns whether it held.
template <typename Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

class RealtimePlayback : public testing::Test {
 protected:
  // These tests are about our threads, not the machine's sound card: SDL's dummy driver
  // paces the callback like a real device without needing one.
  void SetUp() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }
  void TearDown() override { FSOUND_Close(); }
};

TEST_F(RealtimePlayback, StreamPlaysSeeksAndStopsWithoutHanging) {
  ASSERT_TRUE(FSOUND_SetOutput(-1));
  ASSERT_TRUE(FSOUND_Init(44100, 32, FSOUND_INIT_GLOBALFOCUS)) << FSOUND_GetError();
  const auto audio = fsound_test::MakeSine(44100, 2, 2 * 44100, 441.0, 0.3);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "rt.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);

  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 1500));
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  EXPECT_TRUE(FSOUND_IsPlaying(0));
  EXPECT_TRUE(
      WaitFor([&] { return FSOUND_Stream_GetTime(stream) > 1600; }, std::chrono::seconds(5)))
      << "position stuck at " << FSOUND_Stream_GetTime(stream);

  // A seek while playing is heard within a few device buffers, not after the decoded backlog.
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 200));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_LT(FSOUND_Stream_GetTime(stream), 400);

  const auto before_stop = Clock::now();
  ASSERT_TRUE(FSOUND_Stream_Stop(stream));
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  EXPECT_TRUE(FSOUND_Stream_Close(stream));
  FSOUND_Close();
  EXPECT_LT(Clock::now() - before_stop, std::chrono::seconds(1));
}

TEST_F(RealtimePlayback, NonLoopingStreamFinishesOnItsOwn) {
  ASSERT_TRUE(FSOUND_Init(44100, 8, 0)) << FSOUND_GetError();
  const auto audio = fsound_test::MakeSine(44100, 2, 4410, 441.0, 0.3);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "s.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_OFF, 0, 0);
  ASSERT_NE(nullptr, stream);
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  EXPECT_TRUE(WaitFor([] { return !FSOUND_IsPlaying(0); }, std::chrono::seconds(5)));
  FSOUND_Close();  // closes the still-open stream too
}

// The clock a live picture follows, read right before a call that it stamps.
int64_t ClockNow() {
  int64_t frame = 0;
  EXPECT_TRUE(VexilSound_GetClock(&frame, nullptr));
  return frame;
}

TEST_F(RealtimePlayback, TheClockRunsOnAndNeverGoesBack) {
  ASSERT_TRUE(FSOUND_Init(44100, 8, 0)) << FSOUND_GetError();
  int64_t last = ClockNow();
  const auto deadline = Clock::now() + std::chrono::milliseconds(300);
  while (Clock::now() < deadline) {
    const int64_t now = ClockNow();
    ASSERT_GE(now, last);
    last = now;
    std::this_thread::sleep_for(std::chrono::microseconds(700));
  }
  EXPECT_GT(last, 0) << "the device took frames";
}

// The stream's position against the clock's distance from `start`, both in frames. The clock is
// read before and after the position, so a test thread that a busy machine stops between the two
// readings does not count the pause against the stream.
void ExpectHeardWhereTheClockSays(FSOUND_STREAM* stream, int64_t start, int64_t slack) {
  const int64_t before = ClockNow() - start;
  const int64_t heard = FSOUND_Stream_GetPosition(stream);
  const int64_t after = ClockNow() - start;
  EXPECT_GE(heard, before - slack) << "clock " << before << ".." << after;
  EXPECT_LE(heard, after + slack) << "clock " << before << ".." << after;
}

// A stream is heard where the clock says, whatever the device's pace: stamped 200 ms in the past
// it skips those 200 ms; stamped 300 ms ahead it waits. Without the schedule its position would
// be the clock's distance from the call in both cases.
TEST_F(RealtimePlayback, StreamsKeepToTheClockTheirStartWasStampedWith) {
  ASSERT_TRUE(FSOUND_Init(44100, 8, 0)) << FSOUND_GetError();
  const auto audio = fsound_test::MakeRamp(44100, 2, 10 * 44100);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "k.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  constexpr int64_t kSlack = 2048;  // a device buffer and a mixer chunk
  // Let the first blocks decode: a start whose first block is late waits for it, and the
  // schedule is what is tested here, not the decoder's pace on a busy machine.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));

  VexilSound_SetClockOffset(-200);
  const int64_t called = ClockNow();
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  ASSERT_TRUE(WaitFor([&] { return ClockNow() > called + 22050; }, std::chrono::seconds(5)));
  ExpectHeardWhereTheClockSays(stream, called - 8820, kSlack);

  VexilSound_SetClockOffset(300);
  const int64_t later = ClockNow();
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 0));
  ASSERT_TRUE(WaitFor([&] { return ClockNow() > later + 4410; }, std::chrono::seconds(5)));
  EXPECT_EQ(0u, FSOUND_Stream_GetPosition(stream)) << "100 ms after a start stamped 300 ms ahead";
  ASSERT_TRUE(WaitFor([&] { return ClockNow() > later + 22050; }, std::chrono::seconds(5)));
  ExpectHeardWhereTheClockSays(stream, later + 13230, kSlack);
  VexilSound_SetClockOffset(0);
}

}  // namespace

namespace {

// SDL's "disk" driver writes what the device would play to a file, paced like a real device:
// the real-time path (feeder thread, ring, callback, SDL conversion) must produce exactly the
// decoded samples, the same ones offline rendering gives.
TEST(RealtimeOutput, DeviceReceivesExactlyTheDecodedSamples) {
  // Named for this process: other test runs on the machine may use the driver at the same time.
  const std::string raw_path =
      testing::TempDir() + "/device-output-" + std::to_string(getpid()) + ".raw";
  std::remove(raw_path.c_str());
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", raw_path.c_str(), 1);
  if (!FSOUND_Init(44100, 32, 0)) GTEST_SKIP() << "SDL has no disk audio driver here";
  const auto audio = fsound_test::MakeRamp(44100, 2, 22050);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "d.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_OFF, 0, 0);
  ASSERT_NE(nullptr, stream);
  // As the music module starts a demo in the middle: set the time, then play at once.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // let the ring fill from 0
  ASSERT_TRUE(FSOUND_Stream_SetTime(stream, 100));
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  EXPECT_TRUE(WaitFor([] { return !FSOUND_IsPlaying(0); }, std::chrono::seconds(10)));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  FSOUND_Close();
  setenv("SDL_AUDIODRIVER", "dummy", 1);

  const auto bytes = fsound_test::ReadBytes(raw_path);
  std::vector<int16_t> played(bytes.size() / 2);
  std::memcpy(played.data(), bytes.data(), played.size() * 2);
  // Silence until Play, then the piece from 100 ms on without a gap: nothing of the position
  // the ring was filled at before the seek may be heard.
  const std::vector<int16_t> expected(audio.samples.begin() + 2 * 4410, audio.samples.end());
  size_t start = 0;
  while (start < played.size() && played[start] == 0) ++start;
  start &= ~size_t{1};  // a frame boundary, in case a first sample is itself 0
  ASSERT_GE(played.size(), start + expected.size()) << "the device got less than the piece";
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), played.begin() + start))
      << "played audio differs from the decoded file";
  std::remove(raw_path.c_str());
}

}  // namespace

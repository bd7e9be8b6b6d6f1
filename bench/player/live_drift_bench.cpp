// Measures, over minutes of real-time playback through an SDL sound driver, the drift between
// the music as the device takes it and two picture clocks: the one the player uses (LiveClock,
// which follows the music) and the wall clock players commonly use. Plays a looping 60 s tone
// from a mid-piece start, as the music module does, and compares each clock's progress with the
// stream's own position, sampled right after each device callback (when the position is fresh).
//
//   live_drift_bench dummy|disk [seconds=300]
//
// Prints the largest and the final drift of both clocks in milliseconds.
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "fsound/fsound.h"
#include "live_clock.h"

namespace {

constexpr int kRate = 44100;
constexpr int kPieceSeconds = 60;

std::string WriteTone(const std::string& path) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return sf_strerror(nullptr);
  std::vector<short> block(2 * kRate);
  for (int second = 0; second < kPieceSeconds; ++second) {
    for (int i = 0; i < kRate; ++i) {
      const short s = static_cast<short>(8000 * std::sin(2 * M_PI * 440.0 * i / kRate));
      block[2 * i] = block[2 * i + 1] = s;
    }
    sf_writef_short(file, block.data(), kRate);
  }
  sf_close(file);
  return "";
}

struct Drift {
  double largest = 0.0;
  double last = 0.0;
  void Add(double ms) {
    last = ms;
    if (std::fabs(ms) > std::fabs(largest)) largest = ms;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const std::string driver = argc > 1 ? argv[1] : "dummy";
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 300;
  setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
  if (driver == "disk") setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  const std::string path = "/tmp/vexil-live-drift.wav";
  const std::string error = WriteTone(path);
  if (!error.empty()) {
    std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  if (!FSOUND_Init(kRate, 32, 0)) {
    std::fprintf(stderr, "no sound device on the %s driver (error %d)\n", driver.c_str(),
                 FSOUND_GetError());
    return 1;
  }
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), 0x20132, 0, 0);
  if (!stream) {
    std::fprintf(stderr, "cannot open the tone\n");
    return 1;
  }
  // The demo starts 12.5 s into the music, as with a start time in the middle of a module.
  const double start_ms = 12500.0;
  vexil::LiveClock clock;
  const auto wall_start = std::chrono::steady_clock::now();
  const double clock_start = clock.Now();
  FSOUND_Stream_SetTime(stream, static_cast<int>(start_ms));
  FSOUND_Stream_Play(0, stream);

  Drift music_clock;
  Drift wall_clock;
  const double length_ms = kPieceSeconds * 1000.0;
  unsigned last_position = FSOUND_Stream_GetPosition(stream);
  double loops_ms = 0.0;
  long samples = 0;
  const auto end = wall_start + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    const unsigned position = FSOUND_Stream_GetPosition(stream);
    if (position == last_position) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      continue;
    }
    // A callback has just mixed up to `position`: read both clocks at once.
    const double picture = clock.Now() - clock_start + start_ms;
    const double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall_start)
            .count() +
        start_ms;
    if (position < last_position) loops_ms += length_ms;
    last_position = position;
    const double heard = loops_ms + position * 1000.0 / kRate;
    // Skip the first second: the device's start-up buffer is not drift.
    if (picture - start_ms < 1000.0) continue;
    music_clock.Add(picture - heard);
    wall_clock.Add(wall - heard);
    ++samples;
  }
  FSOUND_Close();
  std::remove(path.c_str());
  std::printf("driver %s, %d s, %ld samples\n", driver.c_str(), seconds, samples);
  std::printf("picture on the music clock: largest drift %+.2f ms, at the end %+.2f ms\n",
              music_clock.largest, music_clock.last);
  std::printf("picture on the wall clock:  largest drift %+.2f ms, at the end %+.2f ms\n",
              wall_clock.largest, wall_clock.last);
  return 0;
}

// Measures, over minutes of real-time playback through an SDL sound driver, how the picture's
// clock and the music move apart: the clock the player times its pictures by (LiveClock, which
// follows the music) and, for comparison, the wall clock players commonly use. Plays a looping
// 60 s tone from a mid-piece start, as the music module does, and compares each clock's
// progress with the stream's own position right after each device callback (when the position
// is fresh).
//
//   live_drift_bench dummy|disk [seconds=300]
//
// For each clock it prints the drift (how far the offset between picture and music moved from
// the first ten seconds to the last ten) and the spread of single readings around the first
// ten seconds' offset (median, 99th percentile, largest). A reading is taken only when the
// position did not change and no more than half a millisecond passed while both were read, so
// that this program's own scheduling on a busy machine does not count as drift.
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
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
constexpr double kWindowMs = 10000.0;

using SteadyClock = std::chrono::steady_clock;

double MsBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

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

// Offsets (picture minus music, ms) of one clock, with the playback time they were read at.
struct Offsets {
  std::vector<double> at_ms;
  std::vector<double> offset_ms;

  void Add(double at, double offset) {
    at_ms.push_back(at);
    offset_ms.push_back(offset);
  }
  double MeanBetween(double from, double to) const {
    double sum = 0.0;
    int count = 0;
    for (size_t i = 0; i < at_ms.size(); ++i) {
      if (at_ms[i] >= from && at_ms[i] < to) {
        sum += offset_ms[i];
        ++count;
      }
    }
    return count ? sum / count : 0.0;
  }
  void Print(const char* name, double length_ms) const {
    const double first = MeanBetween(0.0, kWindowMs);
    const double last = MeanBetween(length_ms - kWindowMs, length_ms + 1.0);
    std::vector<double> spread;
    for (double offset : offset_ms) spread.push_back(std::fabs(offset - first));
    std::sort(spread.begin(), spread.end());
    auto quantile = [&](double q) {
      return spread.empty() ? 0.0 : spread[static_cast<size_t>(q * (spread.size() - 1))];
    };
    std::printf(
        "%-26s drift %+9.2f ms; single readings off by median %.2f, p99 %.2f, largest %.2f ms\n",
        name, last - first, quantile(0.5), quantile(0.99), spread.empty() ? 0.0 : spread.back());
  }
};

}  // namespace

int main(int argc, char** argv) {
  const std::string driver = argc > 1 ? argv[1] : "dummy";
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 300;
  setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
  if (driver == "disk") setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
  // One file per run, so that both drivers can be measured at once.
  const std::string path = "/tmp/vexil-live-drift-" + std::to_string(getpid()) + ".wav";
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
  const auto wall_start = SteadyClock::now();
  const double clock_start = clock.Now();
  FSOUND_Stream_SetTime(stream, static_cast<int>(start_ms));
  FSOUND_Stream_Play(0, stream);

  Offsets music_clock;
  Offsets wall_clock;
  const double piece_ms = kPieceSeconds * 1000.0;
  unsigned last_position = FSOUND_Stream_GetPosition(stream);
  double loops_ms = 0.0;
  long rejected = 0;
  const double length_ms = seconds * 1000.0;
  for (;;) {
    const unsigned position = FSOUND_Stream_GetPosition(stream);
    if (position == last_position) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (MsBetween(wall_start, SteadyClock::now()) > length_ms) break;
      continue;
    }
    if (position < last_position) loops_ms += piece_ms;
    last_position = position;
    // A callback has just mixed up to `position`: read both clocks at once.
    const auto before = SteadyClock::now();
    const double picture = clock.Now() - clock_start + start_ms;
    const double wall = MsBetween(wall_start, before) + start_ms;
    const auto after = SteadyClock::now();
    if (FSOUND_Stream_GetPosition(stream) != position || MsBetween(before, after) > 0.5) {
      ++rejected;
      continue;
    }
    const double heard = loops_ms + position * 1000.0 / kRate;
    const double playing_ms = picture - start_ms;
    // Skip the first second: the device's start-up buffer is not drift.
    if (playing_ms < 1000.0) continue;
    music_clock.Add(playing_ms, picture - heard);
    wall_clock.Add(playing_ms, wall - heard);
  }
  FSOUND_Close();
  std::remove(path.c_str());
  std::printf(
      "driver %s, %d s, %zu readings (%ld taken while this program was interrupted, left out)\n",
      driver.c_str(), seconds, music_clock.at_ms.size(), rejected);
  music_clock.Print("picture on the music clock", length_ms);
  wall_clock.Print("picture on the wall clock", length_ms);
  return 0;
}

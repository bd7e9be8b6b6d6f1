// The clock live playback times its pictures by. While music plays through a sound device it is
// the music's own clock (the frames the device has taken), so the picture follows the music and
// cannot drift from it, whatever pace the device keeps; without music it is the wall clock.
// Switching between the two (music starts, a reload restarts the sound system) keeps the value
// continuous.
#pragma once

#include <cstdint>

namespace vexil {

class LiveClock {
 public:
  LiveClock();

  // Milliseconds since the clock was made, never decreasing.
  double Now();
  // Whether the latest reading came from the music's clock.
  bool FollowsMusic() const { return source_ == Source::kMusic; }

 private:
  enum class Source { kWall, kMusic };
  // Reads the current source: its kind, its value in milliseconds and its epoch.
  void Read(Source* source, double* ms, int* epoch) const;

  Source source_ = Source::kWall;
  int epoch_ = 0;
  double source_base_ = 0.0;  // the source's reading when it became the source
  double value_base_ = 0.0;   // the clock's value at that moment
  double last_ = 0.0;
  int64_t wall_start_ = 0;
};

}  // namespace vexil

namespace vexil {

// Demo time for live playback: the live clock's reading plus the start time. With looping on (the
// setup dialog's Loop box, --loop), the demo starts again from the start time when it ends.
class PlaybackTime {
 public:
  PlaybackTime(float starttime, bool loop) : starttime_(starttime), loop_(loop) {}

  // The demo time at the clock reading `clock_ms`.
  float At(double clock_ms) const { return static_cast<float>(clock_ms - base_ + starttime_); }
  // The demo ended at the clock reading `clock_ms`: true when it plays again from the start
  // time (looping), false when playback ends.
  bool StartAgain(double clock_ms) {
    if (!loop_) return false;
    base_ = clock_ms;
    return true;
  }

 private:
  float starttime_;
  bool loop_;
  double base_ = 0.0;  // the clock reading at which the current round began
};

}  // namespace vexil

// Music clock from the sound layer, wall clock from the performance counter, joined seamlessly.
#include "live_clock.h"

#include <algorithm>

#include "fsound/fsound.h"
#include "system/clock.h"

namespace vexil {

LiveClock::LiveClock() {
  sys::QueryPerformanceCounter(&wall_start_);
  double ms = 0.0;
  Read(&source_, &ms, &epoch_);
  source_base_ = ms;
}

void LiveClock::Read(Source* source, double* ms, int* epoch) const {
  int64_t frame = 0;
  const int rate = FSOUND_GetOutputRate();
  // Only a device's clock counts: with no sound, or offline, nothing paces the frames.
  if (rate > 0 && FSOUND_GetOutput() != FSOUND_OUTPUT_NOSOUND &&
      FSOUND_GetOutput() != FSOUND_OUTPUT_NOSOUND_NONREALTIME &&
      VexilSound_GetClock(&frame, epoch) != 0) {
    *source = Source::kMusic;
    *ms = static_cast<double>(frame) * 1000.0 / rate;
    return;
  }
  int64_t now = 0;
  sys::QueryPerformanceCounter(&now);
  *source = Source::kWall;
  *epoch = 0;
  *ms = sys::CounterToMilliseconds(wall_start_, now);
}

double LiveClock::Now() {
  Source source = Source::kWall;
  double ms = 0.0;
  int epoch = 0;
  Read(&source, &ms, &epoch);
  if (source != source_ || epoch != epoch_) {
    // A new source carries on from where the old one was.
    source_ = source;
    epoch_ = epoch;
    source_base_ = ms;
    value_base_ = last_;
  }
  last_ = std::max(last_, value_base_ + (ms - source_base_));
  return last_;
}

}  // namespace vexil

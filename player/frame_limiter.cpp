// The main loop's frame-rate limiter.
#include "frame_limiter.h"

namespace vexil {

// A limit of 0 or fewer frames per second would make the interval infinite (or negative)
// and the demo would never draw: such a limit is treated as no limit.
FrameLimiter::FrameLimiter(bool enabled, int framerate) : limited_(enabled && framerate > 0) {
  if (limited_) interval_ = 1000.0f / static_cast<float>(framerate);
}

bool FrameLimiter::ShouldRender(float now) const {
  return !limited_ || !(now < last_frame_ + interval_);
}

float FrameLimiter::TimeUntilNextFrame(float now) const {
  if (ShouldRender(now)) return 0.0f;
  return last_frame_ + interval_ - now;
}

}  // namespace vexil

// Spaces rendered frames by at least one frame interval of demo time when the demo asks
// for a frame-rate limit; without a limit (or with a frame rate of 0 or less) every
// iteration of the main loop may render.
#pragma once

namespace vexil {

class FrameLimiter {
 public:
  FrameLimiter(bool enabled, int framerate);

  // True when a frame may be rendered at demo time `now` (milliseconds).
  bool ShouldRender(float now) const;
  // Milliseconds from `now` until the next frame may render (0 when it may render now).
  float TimeUntilNextFrame(float now) const;
  // Records the time of a rendered frame.
  void FrameRendered(float now) { last_frame_ = now; }

  bool limited() const { return limited_; }
  float interval() const { return interval_; }

 private:
  bool limited_;
  float interval_ = 0.0f;
  float last_frame_ = 0.0f;
};

}  // namespace vexil

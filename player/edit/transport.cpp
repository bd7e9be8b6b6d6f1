// Pause, seek, loop and end of the edit-mode transport, and the module-start jumps.
#include "transport.h"

#include <algorithm>
#include <cmath>

namespace vexil {

Transport::Transport(double start_ms, double end_ms, double clock_ms)
    : end_ms_(std::max(end_ms, 0.0)) {
  Anchor(Clamp(start_ms), clock_ms);
  last_time_ = anchor_time_;
}

double Transport::Clamp(double t_ms) const {
  return std::clamp(t_ms, 0.0, end_ms_);
}

void Transport::Anchor(double t_ms, double clock_ms) {
  anchor_time_ = t_ms;
  anchor_clock_ = clock_ms;
}

double Transport::Time(double clock_ms) const {
  if (paused_) return anchor_time_;
  return Clamp(anchor_time_ + (clock_ms - anchor_clock_));
}

bool Transport::Advance(double clock_ms) {
  double t = Time(clock_ms);
  bool jumped = false;
  // Only a pass over the out point loops: a seek beyond it plays on from there.
  if (!paused_ && loop_.Active() && last_time_ <= loop_.out_ms && t > loop_.out_ms) {
    // Keep the overshoot, so the section repeats with the rhythm of the clock.
    const double length = loop_.out_ms - loop_.in_ms;
    t = loop_.in_ms + std::fmod(t - loop_.out_ms, length);
    Anchor(t, clock_ms);
    jumped = true;
  } else if (!paused_ && t >= end_ms_) {
    Anchor(end_ms_, clock_ms);
    paused_ = true;
  }
  last_time_ = t;
  return jumped;
}

void Transport::Pause(double clock_ms) {
  if (paused_) return;
  Anchor(Time(clock_ms), clock_ms);
  paused_ = true;
}

void Transport::Resume(double clock_ms) {
  if (!paused_) return;
  // At the end there is nothing left to play: resuming starts over (or at the loop).
  if (anchor_time_ >= end_ms_) anchor_time_ = loop_.Active() ? loop_.in_ms : 0.0;
  Anchor(anchor_time_, clock_ms);
  last_time_ = anchor_time_;
  paused_ = false;
}

void Transport::TogglePause(double clock_ms) {
  if (paused_) {
    Resume(clock_ms);
  } else {
    Pause(clock_ms);
  }
}

void Transport::SeekTo(double t_ms, double clock_ms) {
  Anchor(Clamp(t_ms), clock_ms);
  last_time_ = anchor_time_;
}

void Transport::SeekBy(double delta_ms, double clock_ms) {
  SeekTo(Time(clock_ms) + delta_ms, clock_ms);
}

void Transport::SetEnd(double end_ms, double clock_ms) {
  const double t = Time(clock_ms);
  end_ms_ = std::max(end_ms, 0.0);
  Anchor(Clamp(t), clock_ms);
  last_time_ = anchor_time_;
}

void Transport::SetLoopIn(double clock_ms) {
  loop_.in_ms = Time(clock_ms);
  loop_.has_in = true;
  if (loop_.has_out && loop_.out_ms <= loop_.in_ms) loop_.has_out = false;
}

void Transport::SetLoopOut(double clock_ms) {
  loop_.out_ms = Time(clock_ms);
  loop_.has_out = true;
  if (loop_.has_in && loop_.in_ms >= loop_.out_ms) loop_.has_in = false;
}

double PreviousModuleStart(const std::vector<double>& starts, double t_ms, double grace_ms) {
  double best = 0.0;
  for (double start : starts) {
    if (start < t_ms - grace_ms && start > best) best = start;
  }
  return best;
}

double NextModuleStart(const std::vector<double>& starts, double t_ms) {
  double best = t_ms;
  bool found = false;
  for (double start : starts) {
    if (start > t_ms && (!found || start < best)) {
      best = start;
      found = true;
    }
  }
  return best;
}

}  // namespace vexil

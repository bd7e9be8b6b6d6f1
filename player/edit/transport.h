// The transport of edit mode: where the demo is in time while a demo maker pauses, seeks and
// loops. Pure arithmetic over two times: the demo time, and the clock time the player reads
// (milliseconds of the music's clock, or of the wall clock without music). No device, no sound.
#pragma once

#include <vector>

namespace vexil {

// A section that plays over and over: at the out point playback goes back to the in point.
struct LoopSection {
  bool has_in = false;
  bool has_out = false;
  double in_ms = 0.0;
  double out_ms = 0.0;
  // Both points set, the out point after the in point.
  bool Active() const { return has_in && has_out && out_ms > in_ms; }
};

class Transport {
 public:
  // Playback starts at demo time `start_ms` when the clock reads `clock_ms`; times are kept
  // within 0 .. `end_ms` (the end of the last module).
  Transport(double start_ms, double end_ms, double clock_ms);

  // The demo time at clock time `clock_ms`: frozen while paused, held at the end.
  double Time(double clock_ms) const;
  bool Paused() const { return paused_; }
  double End() const { return end_ms_; }
  const LoopSection& Loop() const { return loop_; }

  // Follows the clock to `clock_ms`. Past the loop's out point the time goes back to the in
  // point; at the end of the demo playback pauses there. True when the time jumped (a loop),
  // which restarts the modules like a seek.
  bool Advance(double clock_ms);

  void Pause(double clock_ms);
  void Resume(double clock_ms);
  void TogglePause(double clock_ms);
  // Goes to demo time `t_ms` (kept within 0 .. end) and plays on from there, or stays paused.
  void SeekTo(double t_ms, double clock_ms);
  void SeekBy(double delta_ms, double clock_ms);
  // A new end (the demo was reloaded and its last module ends elsewhere).
  void SetEnd(double end_ms, double clock_ms);

  // The loop's points at the current time. An in point after the out point drops the out point
  // and the other way round, so the section is never reversed.
  void SetLoopIn(double clock_ms);
  void SetLoopOut(double clock_ms);
  void ClearLoop() { loop_ = LoopSection(); }

 private:
  void Anchor(double t_ms, double clock_ms);
  double Clamp(double t_ms) const;

  double end_ms_;
  // Playing: demo time = anchor_time_ + (clock - anchor_clock_).
  double anchor_time_ = 0.0;
  double anchor_clock_ = 0.0;
  bool paused_ = false;
  double last_time_ = 0.0;  // the time at the latest Advance, to see a pass over the out point
  LoopSection loop_;
};

// Where the "previous module start" key goes from `t_ms`: the latest start before it. Within
// `grace_ms` after a start, the one before that, so that pressing twice walks back.
double PreviousModuleStart(const std::vector<double>& starts, double t_ms, double grace_ms = 500.0);
// Where the "next module start" key goes: the earliest start after `t_ms`; `t_ms` itself when
// there is none.
double NextModuleStart(const std::vector<double>& starts, double t_ms);

}  // namespace vexil

// Edit mode's loop: the demo plays in its window under the demo maker's hands. Transport keys
// pause, seek and loop it (the music with it); saving the script or a file it names rebuilds the
// whole demo and plays on at the same time; a save that does not build leaves the last good
// demo playing with the errors shown in the window; an overlay tells the time, the frame rate,
// the loop and the modules playing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "edit_host.h"
#include "edit_keys.h"
#include "edit_overlay.h"
#include "frame_limiter.h"
#include "live_clock.h"
#include "sync/edit_sync.h"
#include "system/file_watch.h"
#include "timeline_panel.h"
#include "transport.h"

namespace vexil {

class EditSession {
 public:
  EditSession(const EditStart& start, EditHost* host);
  ~EditSession();
  EditSession(const EditSession&) = delete;
  EditSession& operator=(const EditSession&) = delete;

  // Plays until Escape or the window is closed.
  void Run();

 private:
  void Command(EditCommand command);
  // Starts every module afresh at the current time (after a jump): the music seeks with them.
  void Restart();
  void SetMusicPaused(bool paused);
  void Reload();
  void WatchDemoFiles(const std::vector<std::string>& extra_files);
  // Notices the script going away (its folder renamed or removed) and coming back.
  void CheckScriptPresent(double wall);
  std::vector<double> ModuleStarts() const;
  void CountFrame();
  // Draws the timeline panel over the frame and seeks where its ruler was clicked.
  void DrawPanel(double time_ms, double wall_ms);

  EditHost* host_;
  const std::string script_path_;
  const std::string script_folder_;
  void* const window_;
  PlayerSettings settings_;
  LiveClock clock_;
  Transport transport_;
  std::unique_ptr<EditOverlay> overlay_;
  std::unique_ptr<TimelinePanel> panel_;  // made when first shown
  bool panel_shown_ = false;
  double last_frame_wall_ms_ = 0.0;
  sys::FileWatcher watcher_;
  FrameLimiter limiter_;
  std::unique_ptr<EditSync> sync_;  // with --sync: the link to a sync-tracker editor
  bool overlay_shown_ = true;
  bool reload_requested_ = false;
  double change_seen_ms_ = -1.0;  // wall time of the first unsettled change, -1 when none
  bool script_missing_ = false;
  double presence_checked_ms_ = -1e9;
  // What the latest build said: errors (it failed, the last good demo plays on) or notes.
  std::vector<std::string> problems_;
  std::vector<std::string> notes_;
  // Frame rate over the last half second of wall time.
  double rate_window_start_ms_ = 0.0;
  int rate_window_frames_ = 0;
  double frame_rate_ = 0.0;
};

}  // namespace vexil

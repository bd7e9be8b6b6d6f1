// The edit-mode loop: events to transport commands, file changes to reloads, and each frame
// drawn at the transport's time with the overlay over it.
#include "edit_session.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include "d3d9/d3d9.h"
#include "edit/demo_builder.h"
#include "edit/freed_memory.h"
#include "edit_status.h"
#include "fsound/fsound.h"
#include "panel_pointer.h"
#include "system/clock.h"
#include "system/desktop.h"
#include "system/events.h"
#include "system/keys.h"
#include "system/stop_signal.h"
#include "system/window.h"
#include "timeline/module.h"

namespace vexil {

namespace {

// Editors write a file in several steps (truncate, write, rename): wait this long after the
// last change before rebuilding, so that one save is one reload of the finished file.
constexpr double kSettleMs = 150.0;
constexpr double kRateWindowMs = 500.0;
constexpr float kNapThresholdMs = 2.0f;
// How often the script's presence is checked: a folder renamed under the watcher keeps its
// notifications coming from the moved folder, so only the path tells the script is gone.
constexpr double kPresencePeriodMs = 250.0;

// The folders a demo names hold its meshes' textures: only the pictures the texture loader reads
// count there, so that a log the demo writes beside them ("timing.txt") reloads nothing.
const std::vector<std::string> kPictureExtensions = {".png", ".jpg", ".jpeg", ".bmp", ".tga",
                                                     ".gif", ".psd", ".hdr",  ".dds", ".ppm",
                                                     ".pgm", ".pnm", ".pfm"};

double WallMs() {
  int64_t now = 0;
  sys::QueryPerformanceCounter(&now);
  return sys::CounterToMilliseconds(0, now);
}

// Keys that act once per press; holding a seek key seeks on with the key's repeat.
bool Repeats(EditCommand command) {
  switch (command) {
    case EditCommand::kBack1s:
    case EditCommand::kForward1s:
    case EditCommand::kBack10s:
    case EditCommand::kForward10s:
      return true;
    default:
      return false;
  }
}

}  // namespace

EditSession::EditSession(const EditStart& start, EditHost* host)
    : host_(host),
      script_path_(start.script_path),
      script_folder_(start.script_folder),
      window_(start.window),
      settings_(start.settings),
      transport_(start.settings.starttime, host->Demo().timeline.GetEndTime(), clock_.Now()),
      overlay_(std::make_unique<EditOverlay>(host->Demo().demoDevice.m_pD3DDevice)),
      limiter_(start.settings.fpslimiter, start.settings.framerate) {
  problems_ = start.startup_problems;
  if (start.sync) {
    sync_ = std::make_unique<EditSync>(start.sync_host, start.sync_port);
    sync_->UseDemo(&host_->Demo().widgetManager.GetSync(), script_folder_);
  }
  WatchDemoFiles({});
  rate_window_start_ms_ = WallMs();
}

EditSession::~EditSession() = default;

void EditSession::WatchDemoFiles(const std::vector<std::string>& extra_files) {
  std::vector<std::string> files = {script_path_};
  std::vector<std::string> folders;
  host_->Demo().NamedFiles(&files, &folders);
  files.insert(files.end(), extra_files.begin(), extra_files.end());
  watcher_.Watch(files, folders, kPictureExtensions);
}

std::vector<double> EditSession::ModuleStarts() const {
  std::vector<double> starts;
  CTimeline& timeline = host_->Demo().timeline;
  for (int i = 0; i < timeline.GetModuleCount(); ++i) {
    starts.push_back(timeline.GetModule(i)->GetStartTime());
  }
  return starts;
}

void EditSession::SetMusicPaused(bool paused) {
  // Fails quietly when no music module started the sound system.
  FSOUND_SetPaused(FSOUND_ALL, paused ? 1 : 0);
}

void EditSession::Restart() {
  host_->Demo().timeline.Restart();
}

void EditSession::Command(EditCommand command) {
  const double clock = clock_.Now();
  switch (command) {
    case EditCommand::kToggleOverlay:
      overlay_shown_ = !overlay_shown_;
      return;
    case EditCommand::kReload:
      reload_requested_ = true;
      return;
    case EditCommand::kTogglePanel:
      panel_shown_ = !panel_shown_;
      return;
    default:
      break;
  }
  const double before = transport_.Time(clock);
  const bool was_paused = transport_.Paused();
  const bool jumped = ApplyEditCommand(command, &transport_, clock, ModuleStarts());
  // Resuming at the end starts over: that is a jump too.
  if (jumped || transport_.Time(clock) != before) Restart();
  if (transport_.Paused() != was_paused) SetMusicPaused(transport_.Paused());
}

void EditSession::Reload() {
  reload_requested_ = false;
  change_seen_ms_ = -1.0;
  const double before = transport_.Time(clock_.Now());
  const CDemoDevice& device = host_->Demo().demoDevice;
  DemoBuild build = BuildDemo(script_path_, script_folder_, device.m_pD3D, device.m_pD3DDevice,
                              device.m_width, device.m_height);
  if (!build.ok()) {
    problems_ = build.problems;
    if (problems_.empty()) problems_.push_back("the demo could not be built");
    notes_.clear();
    // In full on stderr too: the window may be small, and a terminal keeps the history.
    std::fprintf(stderr, "vexil: \"%s\" does not build; the last good demo plays on:\n",
                 script_path_.c_str());
    for (const std::string& problem : problems_) std::fprintf(stderr, "  %s\n", problem.c_str());
    std::vector<std::string> named;
    if (build.demo) {
      // Also watch what the broken demo names: the fix may be a missing picture appearing.
      std::vector<std::string> folders;
      build.demo->NamedFiles(&named, &folders);
    }
    build.demo.reset();
    ReturnFreedMemory();
    WatchDemoFiles(named);
    return;
  }
  const PlayerSettings& now = settings_;
  notes_ = build.notes;
  if (build.settings.width != now.width || build.settings.height != now.height) {
    notes_.push_back("the display stays " + std::to_string(now.width) + "x" +
                     std::to_string(now.height) + " until the player starts again");
  }
  // The frame-rate settings a reloaded script gives take effect; the display keeps its size.
  settings_.fpslimiter = build.settings.fpslimiter;
  settings_.framerate = build.settings.framerate;
  limiter_ = FrameLimiter(now.fpslimiter, now.framerate);
  const bool paused = transport_.Paused();
  host_->ReplaceDemo(std::move(build.demo));
  if (sync_) sync_->UseDemo(&host_->Demo().widgetManager.GetSync(), script_folder_);
  ReturnFreedMemory();  // the old demo's memory, freed by the swap
  problems_.clear();
  // The build took its time: play on from where the demo was when it began.
  const double clock = clock_.Now();
  transport_.SetEnd(host_->Demo().timeline.GetEndTime(), clock);
  transport_.SeekTo(before, clock);
  if (paused) SetMusicPaused(true);
  WatchDemoFiles({});
  std::printf("vexil: reloaded at %s\n", FormatDemoTime(before).c_str());
  std::fflush(stdout);
}

void EditSession::CheckScriptPresent(double wall) {
  if (wall - presence_checked_ms_ < kPresencePeriodMs) return;
  presence_checked_ms_ = wall;
  const std::string& path = script_path_;
  struct stat info {};
  const bool present = ::stat(path.c_str(), &info) == 0;
  if (!present && !script_missing_) {
    script_missing_ = true;
    change_seen_ms_ = -1.0;
    const std::string message = "the script \"" + path +
                                "\" is gone (its folder was renamed or removed): saves are not "
                                "seen until it is there again; the last demo plays on";
    problems_ = {message};
    notes_.clear();
    std::fprintf(stderr, "vexil: %s\n", message.c_str());
  } else if (present && script_missing_) {
    script_missing_ = false;
    std::fprintf(stderr, "vexil: the script \"%s\" is there again\n", path.c_str());
    problems_.clear();
    // The folder may be a new one under the old name: watch it afresh and take what it holds.
    WatchDemoFiles({});
    reload_requested_ = true;
  }
}

void EditSession::CountFrame() {
  ++rate_window_frames_;
  const double now = WallMs();
  if (now - rate_window_start_ms_ >= kRateWindowMs) {
    frame_rate_ = rate_window_frames_ * 1000.0 / (now - rate_window_start_ms_);
    rate_window_frames_ = 0;
    rate_window_start_ms_ = now;
  }
}

void EditSession::DrawPanel(double time_ms, double wall_ms) {
  const CDemoDevice& device = host_->Demo().demoDevice;
  if (!panel_) panel_ = std::make_unique<TimelinePanel>(device.m_pD3DDevice);
  PanelView view;
  view.time_ms = time_ms;
  view.end_ms = host_->Demo().timeline.GetEndTime();
  view.loop = transport_.Loop();
  view.width = device.m_width;
  view.height = device.m_height;
  const PanelPointer pointer = ReadPanelPointer(device.m_width, device.m_height);
  view.pointer_x = pointer.x;
  view.pointer_y = pointer.y;
  view.pointer_down = pointer.down;
  view.wheel = pointer.wheel;
  if (last_frame_wall_ms_ > 0.0) view.frame_seconds = (wall_ms - last_frame_wall_ms_) / 1000.0;
  last_frame_wall_ms_ = wall_ms;
  const PanelOutcome outcome = panel_->Draw(host_->Demo(), view);
  // A seek from the ruler goes through the transport as the keys' seeks do: the modules
  // restart at the new time and the music seeks with them.
  if (outcome.seek && outcome.seek_ms != transport_.Time(clock_.Now())) {
    transport_.SeekTo(outcome.seek_ms, clock_.Now());
    Restart();
    if (transport_.Paused()) SetMusicPaused(true);
  }
}

void EditSession::Run() {
  sys::ShowAppWindow(window_);
  sys::RefuseScreenSaver();
  for (;;) {
    sys::Event event;
    bool quit = false;
    while (sys::PollEvent(&event)) {
      if (event.kind == sys::EventKind::kQuit) quit = true;
      if (event.kind != sys::EventKind::kKeyDown) continue;
      if (event.virtual_key == VK_ESCAPE) quit = true;
      const EditCommand command = EditCommandForKey(event.virtual_key);
      if (command != EditCommand::kNone && (!event.repeat || Repeats(command))) Command(command);
    }
    if (StopSignalReceived()) AcknowledgeStop();
    if (quit || StopSignalReceived()) break;

    const double wall = WallMs();
    if (watcher_.Changed() && !script_missing_) change_seen_ms_ = wall;
    CheckScriptPresent(wall);
    if (reload_requested_ || (change_seen_ms_ >= 0 && wall - change_seen_ms_ >= kSettleMs)) {
      Reload();
    }

    const double clock = clock_.Now();
    const bool was_paused = transport_.Paused();
    if (transport_.Advance(clock)) Restart();
    if (transport_.Paused() != was_paused) SetMusicPaused(true);  // held at the end
    if (sync_) {
      const EditSync::Outcome asked = sync_->Update(wall, clock, &transport_);
      if (asked.jumped) Restart();
      if (asked.pause_changed) SetMusicPaused(transport_.Paused());
      for (const std::string& message : sync_->TakeMessages()) {
        std::fprintf(stderr, "vexil: %s\n", message.c_str());
        notes_.push_back(message);
      }
    }
    const float t = static_cast<float>(transport_.Time(clock));
    if (!limiter_.ShouldRender(t) && !transport_.Paused()) {
      if (limiter_.TimeUntilNextFrame(t) >= kNapThresholdMs) sys::SleepMilliseconds(1);
      continue;
    }
    CTimeline& timeline = host_->Demo().timeline;
    timeline.Draw(t);
    // A module that started while paused (after a seek) started its music: keep it quiet.
    if (transport_.Paused()) SetMusicPaused(true);
    const CDemoDevice& device = host_->Demo().demoDevice;
    std::vector<OverlayLine> status;
    if (overlay_shown_) {
      status = StatusLines(
          {t, frame_rate_, transport_.Paused(), clock_.FollowsMusic(), transport_.Loop()},
          host_->Demo());
      if (sync_) status.push_back({sync_->Status(), kOverlayQuiet});
    }
    // The panel first: the overlay's messages (a broken save) stay readable over it.
    if (panel_shown_) DrawPanel(t, wall);
    overlay_->Draw(status, MessageLines(problems_, notes_, script_path_), device.m_width,
                   device.m_height);
    timeline.Present();
    limiter_.FrameRendered(t);
    CountFrame();
    // Paused, the picture only changes with a key or a reload: no need to spin a core.
    if (transport_.Paused()) sys::SleepMilliseconds(5);
  }
  sys::AllowScreenSaver();
}

}  // namespace vexil

// The program object: one run from the script to the runner of its mode.
#include "player_app.h"

#include <cstdio>

#include "capture/capture_session.h"
#include "caught_output.h"
#include "d3d9/d3d9.h"
#include "d3d9/d3d9_reuse.h"
#include "demo_loader.h"
#include "display_setup.h"
#include "edit/edit_session.h"
#include "fsound/fsound.h"
#include "play_runner.h"
#include "system/message_box.h"
#include "system/stop_signal.h"

CPlayerApp::CPlayerApp(const vexil::PlayerOptions& options)
    : m_options(options), m_demo(std::make_unique<vexil::DemoParts>()), m_loop(options.loop) {}

CPlayerApp::~CPlayerApp() {
  m_demo->timeline.Free();
  m_demo.reset();
}

bool CPlayerApp::Live() const {
  return m_options.mode == vexil::PlayerMode::kPlay || m_options.mode == vexil::PlayerMode::kEdit;
}

void CPlayerApp::Fail(const std::string& message) {
  // A person who started the player from a desktop has no terminal to read: in play mode the
  // message also shows in a box (on stderr only when there is no display).
  if (Live()) {
    vexil::sys::ShowMessageBox("vexil", message, vexil::sys::MessageIcon::kError,
                               m_display.window());
  } else {
    std::fprintf(stderr, "vexil: %s\n", message.c_str());
  }
  if (m_exitStatus == 0) m_exitStatus = 1;
}

int CPlayerApp::Run() {
  const vexil::PlayerMode mode = m_options.mode;
  // In every mode, before the platform layer starts: SDL then leaves Ctrl-C and SIGTERM to us.
  vexil::CatchStopSignals();
  if (mode == vexil::PlayerMode::kCapture) {
    vexil::RenderRunner::PreparePlatform();
  } else if (mode == vexil::PlayerMode::kCheck) {
    vexil::PrepareSilentSound();
    // The engine reports, with their lines, everything it skips while the script is read.
    m_check.Listen(&m_demo->widgetManager);
  }
  // Live playback schedules the music this much later than the picture (device latency).
  if (Live()) VexilSound_SetClockOffset(m_options.audio_offset_ms);

  vexil::DemoScript script;
  std::string error;
  if (!vexil::OpenDemoScript(m_options.script_path, &script, &error)) {
    Fail(error);
    return m_exitStatus;
  }
  m_name = script.name;
  m_demo->widgetManager.SetScriptFolder(script.folder);

  // Outputs that cannot be made are reported before the demo is built.
  if (mode == vexil::PlayerMode::kCapture && !m_render.Prepare(&m_options, &error)) {
    Fail(error);
    return m_exitStatus;
  }
  // --strict: a file of the script that fails to load fails the render.
  std::unique_ptr<vexil::LoadProblemCounter> strict;
  if (mode == vexil::PlayerMode::kCapture && m_options.strict) {
    strict = std::make_unique<vexil::LoadProblemCounter>();
  }

  vexil::ProgramSteps steps;
  steps.settings = [this](TiXmlElement* element) { ApplySettings(element); };
  steps.libraries = [this](TiXmlElement* element) { LoadLibraries(element); };
  std::vector<std::string> startup_problems;
  if (mode == vexil::PlayerMode::kEdit) {
    // A demo maker at work wants every complaint in the window, not a box per file that
    // stops the demo: what the build says is shown there (and stays on stderr).
    startup_problems = vexil::CatchOutput([&] {
                         vexil::DispatchScript(script, m_demo.get(), steps, &m_displayOpen);
                       }).lines;
  } else {
    vexil::DispatchScript(script, m_demo.get(), steps, &m_displayOpen);
  }
  if (m_cancelled) return 0;

  if (!m_displayTried) {
    const std::string message = "the script \"" + script.path +
                                "\" has no \"settings\" element: there is no "
                                "display to play the demo on";
    if (mode == vexil::PlayerMode::kCheck) {
      m_check.Add({script.root->Row(), EFindingSeverity::Finding, message});
    } else {
      Fail(message);
    }
  }
  if (!m_displayOpen) {
    if (mode == vexil::PlayerMode::kCheck) {
      m_check.Finish(script.root, m_demo.get(), script.path, script.folder, false, true);
    }
    if (m_exitStatus == 0) m_exitStatus = 1;
    return m_exitStatus;
  }

  switch (mode) {
    case vexil::PlayerMode::kCapture: {
      if (strict && strict->count() > 0) {
        Fail("--strict: " + std::to_string(strict->count()) +
             " problem(s) with the script's files (above); nothing is rendered");
        break;
      }
      const int status = m_render.Run(m_options, m_demo.get(), m_settings, &error);
      if (!error.empty()) Fail(error);
      if (status != 0) m_exitStatus = status;
      if (strict && strict->count() > 0) {
        Fail("--strict: " + std::to_string(strict->count()) +
             " problem(s) with the script's files during the render (above)");
      }
      break;
    }
    case vexil::PlayerMode::kCheck:
      if (m_check.Finish(script.root, m_demo.get(), script.path, script.folder, m_displayOpen,
                         m_options.quiet || m_exitStatus != 0) &&
          m_exitStatus == 0) {
        m_exitStatus = 1;
      }
      break;
    case vexil::PlayerMode::kEdit: {
      vexil::EditStart start{script.path,         script.folder,      m_display.window(),
                             m_settings,          startup_problems,   m_options.sync,
                             m_options.sync_host, m_options.sync_port};
      vexil::EditSession session(start, this);
      session.Run();
      break;
    }
    default:
      vexil::RunPlay(m_display.window(), m_settings, m_loop, &m_demo->timeline);
      break;
  }
  return m_exitStatus;
}

void CPlayerApp::ApplySettings(TiXmlElement* element) {
  if (m_displayTried) {
    // The display exists already: later settings could only contradict it.
    const CScriptFinding finding{element->Row(), EFindingSeverity::Finding,
                                 "a second \"settings\" element is ignored"};
    if (m_options.mode == vexil::PlayerMode::kCheck) {
      m_check.Add(finding);
    } else {
      std::fprintf(stderr, "vexil: %s\n", finding.Printed().c_str());
    }
    return;
  }
  vexil::ApplySettingsElement(element, &m_settings);
  vexil::ApplySyncSettings(m_settings, &m_demo->widgetManager.GetSync());
  if (m_options.mode == vexil::PlayerMode::kCapture && m_options.has_size) {
    // The 2D effects keep their 640x480 layout at any size; the 3D ones take its aspect.
    m_settings.width = static_cast<int16_t>(m_options.width);
    m_settings.height = static_cast<int16_t>(m_options.height);
  }
  // The command line's start time outranks the script's, for every mode.
  if (m_options.has_start) m_settings.starttime = static_cast<float>(m_options.start_ms);
  m_displayTried = true;

  vexil::DisplayKind kind = vexil::DisplayKind::kOffscreen;
  if (Live()) kind = vexil::DisplayKind::kWindow;
  if (m_options.mode == vexil::PlayerMode::kCheck) kind = vexil::DisplayKind::kNull;
  // The music alone needs the timeline, not its pictures.
  if (!m_options.audio_only_path.empty()) kind = vexil::DisplayKind::kNull;
  std::string error;
  m_display.OfferLoop(m_loop);
  const vexil::DisplayOutcome outcome =
      m_display.Open(kind, m_name, &m_settings, &m_demo->demoDevice, &error);
  // Open leaves what it made in the demo's holder, even when it fails part way.
  m_d3d = vexil::Com<IDirect3D9>::Adopt(m_demo->demoDevice.m_pD3D);
  m_device = vexil::Com<IDirect3DDevice9>::Adopt(m_demo->demoDevice.m_pD3DDevice);
  // Only playback loops; edit mode has a loop section of its own.
  m_loop = m_display.loop() && m_options.mode == vexil::PlayerMode::kPlay;
  switch (outcome) {
    case vexil::DisplayOutcome::kOpen:
      m_displayOpen = true;
      break;
    case vexil::DisplayOutcome::kCancelled:
      m_cancelled = true;
      break;
    case vexil::DisplayOutcome::kFailed:
      Fail(error);
      break;
  }
}

void CPlayerApp::LoadLibraries(TiXmlElement* element) {
  // Cancelled at the setup dialog: the demo does not play, so nothing of it is loaded.
  if (m_cancelled) return;
  const bool check = m_options.mode == vexil::PlayerMode::kCheck;
  m_check.LibrariesLoaded();
  vexil::LoadLibraryList(element, &m_demo->widgetManager, check ? m_check.findings() : nullptr);
}

void CPlayerApp::ReplaceDemo(std::unique_ptr<vexil::DemoParts> next) {
  m_demo->timeline.Free();
  m_demo = std::move(next);  // the old demo goes here: its modules and resources are freed
  IDirect3DDevice9* device = m_demo->demoDevice.m_pD3DDevice;
  // The scopes talk to the device through a static pointer; the old demo's holder is gone.
  m_demo->demoDevice.SetD3DDevice(device);
  VexilResetDeviceState(device);
  vexil::InstallCameraAndClear(device, m_demo->demoDevice.m_width, m_demo->demoDevice.m_height);
}

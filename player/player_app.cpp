// The application object: script loading and dispatch, settings, libraries, display and
// the run in one of the three modes (play, capture, check).
#include "player_app.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "capture_session.h"
#include "d3d9/d3d9.h"
#include "d3d9/d3d9_reuse.h"
#include "d3d9/null/d3d9_null.h"
#include "display_setup.h"
#include "edit_session.h"
#include "frame_limiter.h"
#include "fsound/fsound.h"
#include "hash_sinks.h"
#include "live_clock.h"
#include "png_sequence_sink.h"
#include "script_check.h"
#include "script_source.h"
#include "setup_dialog.h"
#include "stop_signal.h"
#include "system/clock.h"
#include "system/desktop.h"
#include "system/dynlib.h"
#include "system/events.h"
#include "system/file_lookup.h"
#include "system/keys.h"
#include "system/message_box.h"
#include "system/stderr_capture.h"
#include "system/window.h"
#include "video_sink_loader.h"

#ifdef __EMSCRIPTEN__
#include "web/page_session.h"
#endif

namespace {

// A frame-limited loop waiting this long or more for its next frame gives the time back to
// the system in small naps instead of spinning a core at full load.
constexpr float kNapThresholdMs = 2.0f;

// The largest display a script may ask for, as for render targets: 8192 x 8192 pixels (or
// as many in another shape). Larger ones would need gigabytes for the frame and its copies.
constexpr int64_t kMaxDisplayPixels = 8192 * 8192;

// Why the graphics layer refused a device, for the message.
std::string DeviceFailure(HRESULT hr) {
  if (hr == D3DERR_OUTOFVIDEOMEMORY || hr == E_OUTOFMEMORY) return ": not enough video memory";
  return "";
}

}  // namespace

void CDisplayGate::Parse(TiXmlElement* element) {
  if (*m_open) m_target->Parse(element);
}

CPlayerApp::WindowHolder::~WindowHolder() {
  vexil::sys::DestroyAppWindow(handle);
}

CPlayerApp::CPlayerApp(const char* path, float starttime)
    : CPlayerApp(path, starttime, vexil::PlayerOptions()) {}

CPlayerApp::CPlayerApp(const char* path, float starttime, const vexil::PlayerOptions& options)
    : m_options(options), m_demo(std::make_unique<vexil::DemoParts>()) {
  m_loop = options.loop;
  m_settings.starttime = starttime;
  Run(path ? path : "");
}

CPlayerApp::~CPlayerApp() {
  m_demo->timeline.Free();
  IDirect3DDevice9* device = m_demo->demoDevice.m_pD3DDevice;
  IDirect3D9* d3d = m_demo->demoDevice.m_pD3D;
  if (device) device->Release();
  if (d3d) d3d->Release();
  // Then the demo: texture manager, resource manager, widget manager (which frees every
  // plug-in object and unloads the libraries), demo device, timeline; and last the window.
  m_demo.reset();
}

bool CPlayerApp::Live() const {
  return m_options.mode == vexil::PlayerMode::kPlay || m_options.mode == vexil::PlayerMode::kEdit;
}

void CPlayerApp::Fail(const std::string& message) {
  // A person who started the player from a desktop has no terminal to read: in play mode the
  // message also shows in a box (on stderr only when there is no display).
  if (Live()) {
    vexil::sys::ShowMessageBox("vexil", message, vexil::sys::MessageIcon::kError, m_window.handle);
  } else {
    std::fprintf(stderr, "vexil: %s\n", message.c_str());
  }
  if (m_exitStatus == 0) m_exitStatus = 1;
}

void CPlayerApp::Run(const char* given) {
  const vexil::PlayerMode mode = m_options.mode;
  // A demo copied from Windows may be started by its Windows name ("DEMO.GMA" for demo.gma).
  const vexil::sys::FileLookup script = vexil::sys::LookUpFile(given);
  const char* path = script.found() ? script.path.c_str() : given;
  if (mode == vexil::PlayerMode::kCapture) {
    // No window and no device a person could see: render on the offscreen driver.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // Before the platform layer starts, so that Ctrl-C and SIGTERM reach the capture loop.
    vexil::CatchStopSignals();
    vexil::TreatFileSizeLimitAsWriteError();
    vexil::PrepareOfflineSound();
  } else if (mode == vexil::PlayerMode::kCheck) {
    vexil::PrepareSilentSound();
    // The engine reports, with their lines, everything it skips while the script is read.
    // Before the libraries are loaded every type is unknown: the check says once that such
    // an element comes too early instead.
    m_demo->widgetManager.SetReporter([this](const CScriptFinding& finding) {
      if (m_librariesLoaded) m_findings.push_back(finding);
    });
  }

  // Live playback schedules the music this much later than the picture (device latency).
  if (Live()) VexilSound_SetClockOffset(m_options.audio_offset_ms);
  m_path = path;
  m_scriptFolder = std::filesystem::path(path).parent_path().string();
  if (m_scriptFolder.empty()) m_scriptFolder = ".";

  CXmlHandler loader;
  std::string error;
  if (!vexil::LoadScript(path, &loader, &error)) {
    Fail(error);
    return;
  }
  TiXmlElement* root = loader.GetRootElement();
  const char* name = root->Attribute("name");
  std::snprintf(m_name, sizeof m_name, "%s", name ? name : "");
  if (name && std::strlen(name) >= sizeof m_name) {
    // Cut at a character boundary: half a UTF-8 character would spoil the window title.
    size_t end = sizeof m_name - 1;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    m_name[end] = '\0';
  }

  // Outputs that cannot be made are reported before the demo is built.
  if (mode == vexil::PlayerMode::kCapture && !PrepareCapture()) return;

  m_demo->NoteModuleTypes(root);
  CDisplayGate timelineGate(&m_demo->timeline, &m_displayOpen);
  CDisplayGate resourcesGate(&m_demo->resourceManager, &m_displayOpen);
  loader.AddHandler("settings", this);
  loader.AddHandler("libraries", this);
  loader.AddHandler("timeline", &timelineGate);
  loader.AddHandler("resources", &resourcesGate);
  if (mode == vexil::PlayerMode::kEdit) {
    // A demo maker at work wants every complaint in the window, not a box per file that
    // stops the demo: what the build says is shown there (and stays on stderr).
    vexil::sys::MessageSink previous =
        vexil::sys::SetMessageSink([](const std::string&, const std::string&) {});
    vexil::sys::StderrCapture capture;
    loader.Parse(root);
    m_startupProblems = vexil::OutputLines(capture.Finish());
    vexil::sys::SetMessageSink(std::move(previous));
  } else {
    loader.Parse(root);
  }

  if (!m_displayTried) {
    const std::string message = "the script \"" + std::string(path) +
                                "\" has no \"settings\" element: there is no "
                                "display to play the demo on";
    if (mode == vexil::PlayerMode::kCheck) {
      m_findings.push_back({root->Row(), EFindingSeverity::Finding, message});
    } else {
      Fail(message);
    }
  }
  if (!m_displayOpen) {
    if (mode == vexil::PlayerMode::kCheck) RunCheck(root);
    if (m_exitStatus == 0) m_exitStatus = 1;
    return;
  }

  switch (mode) {
    case vexil::PlayerMode::kCapture:
      RunCapture();
      break;
    case vexil::PlayerMode::kCheck:
      RunCheck(root);
      break;
    case vexil::PlayerMode::kEdit:
      EditLoop();
      break;
    default:
      MainLoop();
      break;
  }
}

void CPlayerApp::Parse(TiXmlElement* element) {
  if (!element) return;
  if (strcasecmp(element->Value(), "settings") == 0) {
    ApplySettings(element);
  } else if (strcasecmp(element->Value(), "libraries") == 0) {
    LoadLibraries(element);
  }
}

void CPlayerApp::ApplySettings(TiXmlElement* element) {
  if (m_displayTried) {
    // The display exists already: later settings could only contradict it.
    const CScriptFinding finding{element->Row(), EFindingSeverity::Finding,
                                 "a second \"settings\" element is ignored"};
    if (m_options.mode == vexil::PlayerMode::kCheck) {
      m_findings.push_back(finding);
    } else {
      std::fprintf(stderr, "vexil: %s\n", finding.Printed().c_str());
    }
    return;
  }
  vexil::ApplySettingsElement(element, &m_settings);
  if (m_options.mode == vexil::PlayerMode::kCapture && m_options.has_size) {
    // The 2D effects keep their 640x480 layout at any size; the 3D ones take its aspect.
    m_settings.width = static_cast<int16_t>(m_options.width);
    m_settings.height = static_cast<int16_t>(m_options.height);
  }
  // The command line's start time outranks the script's, for every mode.
  if (m_options.has_start) m_settings.starttime = static_cast<float>(m_options.start_ms);
  m_displayTried = true;
  m_displayOpen = CreateDisplay();
}

void CPlayerApp::LoadLibraries(TiXmlElement* element) {
  const bool check = m_options.mode == vexil::PlayerMode::kCheck;
  m_demo->widgetManager.SetScriptFolder(m_scriptFolder);
  m_librariesLoaded = true;
  vexil::LoadLibraryList(element, &m_demo->widgetManager, check ? &m_findings : nullptr);
}

bool CPlayerApp::CreateDisplay() {
  if (m_settings.width <= 0 || m_settings.height <= 0) {
    Fail("the script's settings give no usable display size (width " +
         std::to_string(m_settings.width) + ", height " + std::to_string(m_settings.height) + ")");
    return false;
  }
  const int64_t pixels = int64_t{m_settings.width} * m_settings.height;
  if (pixels > kMaxDisplayPixels) {
    Fail("the script's display of " + std::to_string(m_settings.width) + " x " +
         std::to_string(m_settings.height) + " pixels is larger than the limit of " +
         std::to_string(kMaxDisplayPixels) + " pixels (8192 x 8192)");
    return false;
  }
  const bool ok = Live() ? CreateWindowedDevice() : CreateHeadlessDevice();
  if (!ok) return false;
  IDirect3DDevice9* device = m_demo->demoDevice.m_pD3DDevice;
  vexil::InstallCameraAndClear(device, m_settings.width, m_settings.height);
  m_demo->demoDevice.m_width = m_settings.width;
  m_demo->demoDevice.m_height = m_settings.height;
  return true;
}

bool CPlayerApp::CreateWindowedDevice() {
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d) {
    Fail("cannot initialise the graphics device");
    return false;
  }
  m_demo->demoDevice.SetD3D(d3d);

  if (m_settings.setupdialog) {
    CSetupDialog dialog(m_name, m_settings.width, m_settings.height, m_settings.framerate,
                        m_settings.fullscreen, d3d);
    dialog.SetLoop(m_loop);
    // Cancel ends the program at once, before any window exists.
    if (!dialog.Run()) std::exit(0);
    if (dialog.WasShown()) {
      const vexil::DisplayModeRecord& mode = dialog.GetChosenMode();
      m_settings.width = static_cast<int16_t>(mode.width);
      m_settings.height = static_cast<int16_t>(mode.height);
      m_settings.framerate = static_cast<int16_t>(mode.refresh_rate);
      m_settings.fullscreen = dialog.GetFullscreen();
      // Only playback loops; edit mode has a loop section of its own.
      m_loop = dialog.GetLoop() && m_options.mode == vexil::PlayerMode::kPlay;
    }
  }

  vexil::sys::WindowOptions window;
  window.title = m_name[0] ? m_name : "vexil";
  window.width = m_settings.width;
  window.height = m_settings.height;
  std::string error;
  m_window.handle = vexil::sys::CreateAppWindow(window, &error);
  if (!m_window.handle) {
    Fail(error);
    return false;
  }
  // Reported once on stderr when the system refuses; the demo plays on regardless.
  vexil::sys::RaiseThreadPriority();

  D3DDISPLAYMODE desktop{};
  if (d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &desktop) != D3D_OK) {
    Fail("cannot read the desktop's display mode");
    return false;
  }
  D3DPRESENT_PARAMETERS params = vexil::MakePresentParameters(m_settings, desktop.Format);
  IDirect3DDevice9* device = nullptr;
  const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, m_window.handle,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
  if (hr != D3D_OK || !device) {
    Fail("cannot create the graphics device for a " + std::to_string(m_settings.width) + "x" +
         std::to_string(m_settings.height) + " display" + DeviceFailure(hr));
    return false;
  }
  m_demo->demoDevice.SetD3DDevice(device);
  return true;
}

bool CPlayerApp::CreateHeadlessDevice() {
  const bool check = m_options.mode == vexil::PlayerMode::kCheck;
  IDirect3D9* d3d = check ? VexilCreateNullDirect3D9() : Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d) {
    Fail("cannot initialise the graphics device");
    return false;
  }
  m_demo->demoDevice.SetD3D(d3d);
  D3DPRESENT_PARAMETERS params = vexil::MakeHeadlessPresentParameters(m_settings);
  IDirect3DDevice9* device = nullptr;
  const HRESULT hr = d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
  if (hr != D3D_OK || !device) {
    Fail("cannot create an offscreen graphics device of " + std::to_string(m_settings.width) + "x" +
         std::to_string(m_settings.height) + " pixels" + DeviceFailure(hr));
    return false;
  }
  m_demo->demoDevice.SetD3DDevice(device);
  return true;
}

void CPlayerApp::MainLoop() {
#ifdef __EMSCRIPTEN__
  // In a web page the page may seek and pause the demo as well.
  vexil::RunPageSession(this);
  return;
#endif
  vexil::sys::ShowAppWindow(m_window.handle);
  vexil::sys::HideMouseCursor(true);
  vexil::sys::RefuseScreenSaver();
  // The picture follows the music's clock while music plays, the wall clock otherwise.
  vexil::LiveClock clock;
  vexil::FrameLimiter limiter(m_settings.fpslimiter, m_settings.framerate);
  vexil::PlaybackTime playback(m_settings.starttime, m_loop);
  for (;;) {
    const double reading = clock.Now();
    const float now = playback.At(reading);
    vexil::sys::Event event;
    if (vexil::sys::PollEvent(&event)) {
      // Closing the window or pressing Escape ends the demo; no frame in this iteration.
      if (event.kind == vexil::sys::EventKind::kQuit) break;
      if (event.kind == vexil::sys::EventKind::kKeyDown && event.virtual_key == VK_ESCAPE) break;
      continue;
    }
    if (!limiter.ShouldRender(now)) {
      if (limiter.TimeUntilNextFrame(now) >= kNapThresholdMs) vexil::sys::SleepMilliseconds(1);
      continue;
    }
    if (!m_demo->timeline.Render(now)) {
      // The timeline has ended every module (the music stops); looping starts them again.
      if (!playback.StartAgain(reading)) break;
      limiter = vexil::FrameLimiter(m_settings.fpslimiter, m_settings.framerate);
      continue;
    }
    limiter.FrameRendered(now);
  }
  vexil::sys::HideMouseCursor(false);
  vexil::sys::AllowScreenSaver();
}

bool CPlayerApp::PrepareCapture() {
  std::string error;
  if (!m_options.capture_dir.empty() && !vexil::MakeCaptureFolder(m_options.capture_dir, &error)) {
    Fail(error);
    return false;
  }
  if (!m_options.video_path.empty()) {
    m_videoSink = vexil::OpenVideoSink(m_options.video_path, &error);
    if (!m_videoSink) {
      Fail(error);
      return false;
    }
  }
  return m_options.verify_path.empty() || ReadVerifyManifest();
}

bool CPlayerApp::ReadVerifyManifest() {
  const std::string& path = m_options.verify_path;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    Fail("cannot read the manifest \"" + path + "\": it is not a file");
    return false;
  }
  // The manifest of the longest render vexil makes is about 60 MB; anything far larger is
  // not one, and is not read into memory.
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (!ec && size > vexil::kMaxManifestBytes) {
    Fail("cannot read the manifest \"" + path + "\": at " + std::to_string(size >> 20) +
         " MiB it is larger than any vexil makes");
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string error;
  if (!in || !vexil::ParseManifest(text.str(), &m_verifyManifest, &error)) {
    Fail("cannot read the manifest \"" + path + "\"" + (error.empty() ? "" : ": " + error));
    return false;
  }
  // The render repeats the one the manifest was made of; other settings would compare
  // different frames.
  const vexil::HashManifest& made = m_verifyManifest;
  vexil::PlayerOptions& o = m_options;
  const bool conflicts = (o.has_fps && o.fps != made.fps) ||
                         (o.has_size && (o.width != made.width || o.height != made.height)) ||
                         (o.has_from && o.from_ms != made.first_ms) ||
                         (o.has_start && o.start_ms != made.first_ms) ||
                         (o.has_to && (!made.has_last || o.to_ms != made.last_ms));
  if (conflicts) {
    Fail("\"" + path + "\" was made at " + std::to_string(made.fps) + " fps and " +
         std::to_string(made.width) + "x" + std::to_string(made.height) +
         " pixels over its own span: leave out --fps, --size, --from, --to and --start to "
         "verify");
    return false;
  }
  if (made.fps > 1000 || made.width > vexil::kMaxRenderSize ||
      made.height > vexil::kMaxRenderSize) {
    Fail("the manifest \"" + path + "\" asks for a render vexil does not make");
    return false;
  }
  o.has_fps = true;
  o.fps = made.fps;
  o.has_size = true;
  o.width = made.width;
  o.height = made.height;
  o.has_from = true;
  o.from_ms = made.first_ms;
  o.has_to = made.has_last;
  o.to_ms = made.last_ms;
  return true;
}

vexil::DemoBuild CPlayerApp::BuildAgain() const {
  return vexil::BuildDemo(m_path, m_scriptFolder, m_demo->demoDevice.m_pD3D,
                          m_demo->demoDevice.m_pD3DDevice, m_demo->demoDevice.m_width,
                          m_demo->demoDevice.m_height);
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

void CPlayerApp::TakeTimingSettings(const vexil::PlayerSettings& settings) {
  m_settings.fpslimiter = settings.fpslimiter;
  m_settings.framerate = settings.framerate;
}

void CPlayerApp::RunCapture() {
  vexil::CaptureOptions capture;
  capture.fps = m_options.fps;
  capture.first_ms = m_options.has_from ? m_options.from_ms : m_settings.starttime;
  capture.has_last = m_options.has_to;
  capture.last_ms = m_options.to_ms;

  // One render feeds every output asked for.
  std::vector<std::unique_ptr<vexil::FrameSink>> owned;
  std::vector<std::string> written;
  vexil::PngSequenceSink* png = nullptr;
  if (!m_options.capture_dir.empty()) {
    auto sink = std::make_unique<vexil::PngSequenceSink>(m_options.capture_dir);
    png = sink.get();
    owned.push_back(std::move(sink));
    written.push_back(m_options.capture_dir);
  }
  if (m_videoSink) {
    owned.push_back(std::move(m_videoSink));
    written.push_back(m_options.video_path);
  }
  if (!m_options.hashes_path.empty()) {
    owned.push_back(std::make_unique<vexil::HashManifestSink>(m_options.hashes_path,
                                                              capture.has_last, capture.last_ms));
    written.push_back(m_options.hashes_path);
  }
  vexil::VerifySink* verify = nullptr;
  if (!m_options.verify_path.empty()) {
    auto sink = std::make_unique<vexil::VerifySink>(m_verifyManifest);
    verify = sink.get();
    owned.push_back(std::move(sink));
  }
  std::vector<vexil::FrameSink*> sinks;
  for (const auto& sink : owned) sinks.push_back(sink.get());

  vexil::CaptureSession session(capture, sinks);
  std::string error;
  const bool ok = session.Run(&m_demo->timeline, m_demo->demoDevice.m_pD3DDevice, m_settings.width,
                              m_settings.height, &error);
  if (!ok) Fail(error);
  // Stopped by a signal: the status tells it the way shells do (128 + the signal's number).
  if (session.stopped_by() != 0) m_exitStatus = 128 + session.stopped_by();
  // Also after a failure: the frames counted are the ones that were written completely.
  if (!written.empty()) {
    std::string names;
    for (const std::string& name : written) names += (names.empty() ? "" : ", ") + name;
    const int64_t frames = png ? png->frames_written() : session.frames_rendered();
    std::printf("vexil: %lld frames at %d fps (%dx%d) written to %s\n",
                static_cast<long long>(frames), capture.fps, m_settings.width, m_settings.height,
                names.c_str());
  }
  if (ok && verify) {
    for (const std::string& line : vexil::VerifyReport(verify->outcome(), m_options.verify_path)) {
      std::printf("vexil: %s\n", line.c_str());
    }
    if (!verify->outcome().matches() && m_exitStatus == 0) m_exitStatus = 1;
  }
}

void CPlayerApp::RunCheck(TiXmlElement* root) {
  vexil::ScriptChecker checker(&m_demo->timeline, &m_demo->resourceManager, &m_demo->textureManager,
                               m_scriptFolder);
  checker.CheckScript(root, m_displayOpen);
  for (const CScriptFinding& finding : checker.findings()) m_findings.push_back(finding);
  // In script order, whichever step found them.
  std::stable_sort(
      m_findings.begin(), m_findings.end(),
      [](const CScriptFinding& a, const CScriptFinding& b) { return a.line < b.line; });
  bool failed = false;
  int notes = 0;
  for (const CScriptFinding& finding : m_findings) {
    std::printf("%s\n", finding.Printed().c_str());
    failed = failed || !finding.IsNote();
    notes += finding.IsNote() ? 1 : 0;
  }
  if (!failed && m_exitStatus == 0 && !m_options.quiet) {
    std::printf("%s\n", checker.Summary(m_path, notes).c_str());
  }
  if (failed && m_exitStatus == 0) m_exitStatus = 1;
}

void CPlayerApp::EditLoop() {
  vexil::EditSession session(this);
  session.Run();
}

// CPlayerApp: the application object. Its constructor does the whole run: loads the script,
// dispatches "settings" and "libraries" to itself and "resources" and "timeline" to the
// managers, then plays (or captures, or checks) the demo. The destructor frees everything.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "command_line.h"
#include "demo_builder.h"
#include "demo_parts.h"
#include "frame_hash.h"
#include "frame_sink.h"
#include "player_settings.h"
#include "scenecore.h"

// Forwards an element to its target only while the display exists: without a device the
// resources and modules could not build, so a failed display stops them cleanly.
class CDisplayGate : public CXmlHandler {
 public:
  CDisplayGate(CXmlHandler* target, const bool* open) : m_target(target), m_open(open) {}
  void Parse(TiXmlElement* element) override;

 private:
  CXmlHandler* m_target;
  const bool* m_open;
};

class CPlayerApp : public CXmlHandler {
 public:
  // Plays the script in a window against the real-time clock, as a person runs the player.
  CPlayerApp(const char* path, float starttime);
  // The same with a mode (edit, capture, check) and options from the command line.
  CPlayerApp(const char* path, float starttime, const vexil::PlayerOptions& options);
  ~CPlayerApp() override;

  // Handles "settings" (stores the values, then creates the display) and "libraries"
  // (loads "scenecore.dll" and then every listed library).
  void Parse(TiXmlElement* element) override;

  // 0 when the run went as it should; non-zero after a failure that was reported on stderr,
  // or, for a check, when it found something.
  int GetExitStatus() const { return m_exitStatus; }

  const vexil::PlayerSettings& GetSettings() const { return m_settings; }
  const char* GetName() const { return m_name; }
  CTimeline& GetTimeline() { return m_demo->timeline; }
  CDemoDevice& GetDemoDevice() { return m_demo->demoDevice; }
  CWidgetManager& GetWidgetManager() { return m_demo->widgetManager; }
  CResourceManager& GetResourceManager() { return m_demo->resourceManager; }
  CTextureManager& GetTextureManager() { return m_demo->textureManager; }

  // Findings and notes of a check run, in script order (empty in the other modes).
  const std::vector<CScriptFinding>& GetFindings() const { return m_findings; }

  // ---- for edit mode (EditSession) ----
  vexil::DemoParts& GetDemo() { return *m_demo; }
  const std::string& GetScriptPath() const { return m_path; }
  const std::string& GetScriptFolder() const { return m_scriptFolder; }
  void* GetWindow() const { return m_window.handle; }
  // Builds the script again on the running device; the current demo stays as it is.
  vexil::DemoBuild BuildAgain() const;
  // Plays `next` from now on; the previous demo is freed (its music stops) and the device
  // starts from its default state, as for a new demo.
  void ReplaceDemo(std::unique_ptr<vexil::DemoParts> next);
  // The frame-rate settings a reloaded script gives take effect (the display keeps its size).
  void TakeTimingSettings(const vexil::PlayerSettings& settings);
  // What the first build said on stderr in edit mode (shown in the window).
  const std::vector<std::string>& GetStartupProblems() const { return m_startupProblems; }

 private:
  void Run(const char* path);
  void ApplySettings(TiXmlElement* element);
  void LoadLibraries(TiXmlElement* element);
  bool CreateDisplay();
  bool CreateWindowedDevice();
  bool CreateHeadlessDevice();
  bool Live() const;
  void MainLoop();
  bool PrepareCapture();
  bool ReadVerifyManifest();
  void EditLoop();
  void RunCapture();
  void RunCheck(TiXmlElement* root);
  void Fail(const std::string& message);

  // Destroys the window after every member that may still draw into it.
  struct WindowHolder {
    ~WindowHolder();
    void* handle = nullptr;
  };

  vexil::PlayerOptions m_options;
  WindowHolder m_window;
  vexil::PlayerSettings m_settings;
  char m_name[256] = {};
  std::unique_ptr<vexil::DemoParts> m_demo;

  std::string m_path;
  std::string m_scriptFolder;  // where plug-ins shipped with the demo are looked for
  bool m_displayTried = false;
  bool m_librariesLoaded = false;  // a "libraries" element has been handled
  bool m_displayOpen = false;
  bool m_loop = false;  // live playback starts again when the demo ends (--loop, Loop box)
  int m_exitStatus = 0;
  std::vector<CScriptFinding> m_findings;
  std::unique_ptr<vexil::FrameSink> m_videoSink;  // opened before the script is read
  vexil::HashManifest m_verifyManifest;
  std::vector<std::string> m_startupProblems;
};

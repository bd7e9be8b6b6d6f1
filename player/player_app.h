// CPlayerApp: the program object. It owns what one run keeps from start to end: the options,
// the display (window and device), the settings the script gives and the demo playing. Run
// loads the script through the demo loader, opens the display while "settings" is read, loads
// the libraries "libraries" names, and hands the built demo to the runner of the mode: play,
// edit, render or check.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "capture/render_runner.h"
#include "check_runner.h"
#include "command_line.h"
#include "d3d9/com_ptr.h"
#include "demo_parts.h"
#include "display.h"
#include "edit/edit_host.h"
#include "player_settings.h"
#include "scenecore.h"

class CPlayerApp : private vexil::EditHost {
 public:
  explicit CPlayerApp(const vexil::PlayerOptions& options);
  // Frees the timeline's modules, then the demo (texture, resource and widget managers, which
  // unloads the libraries), releases the device and the Direct3D object and last the window.
  ~CPlayerApp() override;
  CPlayerApp(const CPlayerApp&) = delete;
  CPlayerApp& operator=(const CPlayerApp&) = delete;

  // Runs the demo in the options' mode. Returns the exit status: 0 when the run went as it
  // should or the setup dialog was cancelled; non-zero after a failure that was reported, for
  // a check that found something, and 128 + the signal that stopped a render.
  int Run();

  // What the run left behind, for tests.
  const vexil::PlayerSettings& GetSettings() const { return m_settings; }
  const char* GetName() const { return m_name.c_str(); }
  vexil::DemoParts& GetDemo() { return *m_demo; }
  // Findings and notes of a check run, in script order (empty in the other modes).
  const std::vector<CScriptFinding>& GetFindings() const { return m_check.findings(); }

 private:
  bool Live() const;
  void ApplySettings(TiXmlElement* element);
  void LoadLibraries(TiXmlElement* element);
  void Fail(const std::string& message);

  // EditHost
  vexil::DemoParts& Demo() override { return *m_demo; }
  void ReplaceDemo(std::unique_ptr<vexil::DemoParts> next) override;

  vexil::PlayerOptions m_options;
  vexil::PlayerDisplay m_display;  // destroyed last: the window outlives what draws into it
  // The references the display made: the demos on it only borrow them, so that a demo's
  // textures and buffers go before the device they came from.
  vexil::Com<IDirect3D9> m_d3d;
  vexil::Com<IDirect3DDevice9> m_device;
  vexil::PlayerSettings m_settings;
  std::string m_name;
  std::unique_ptr<vexil::DemoParts> m_demo;
  vexil::RenderRunner m_render;
  vexil::CheckRunner m_check;

  bool m_displayTried = false;
  bool m_displayOpen = false;
  bool m_cancelled = false;  // the setup dialog was cancelled
  bool m_loop = false;       // live playback starts again when the demo ends (--loop, Loop box)
  int m_exitStatus = 0;
};

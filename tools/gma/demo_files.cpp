// Builds a demo on the null device, with silent sound, to learn the files it reads.
#include "demo_files.h"

#include <cstdio>
#include <memory>

#include "capture/capture_session.h"
#include "demo_loader.h"
#include "demo_parts.h"
#include "display.h"
#include "player_settings.h"
#include "system/message_box.h"

namespace vexil {

bool FindDemoFiles(const std::string& script_path, DemoFiles* out, std::string* error) {
  PrepareSilentSound();
  // A command-line tool opens no windows: what the build would show in a box goes to stderr.
  sys::SetMessageSink([](const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  });
  DemoScript script;
  if (!OpenDemoScript(script_path, &script, error)) return false;
  out->script = script.path;
  out->folder = script.folder;

  auto demo = std::make_unique<DemoParts>();
  demo->widgetManager.SetScriptFolder(script.folder);
  PlayerSettings settings;
  PlayerDisplay display;
  bool display_open = false;
  std::string display_error;
  ProgramSteps steps;
  steps.settings = [&](TiXmlElement* element) {
    if (display_open || !display_error.empty()) return;  // a second "settings" is ignored
    ApplySettingsElement(element, &settings);
    ApplySyncSettings(settings, &demo->widgetManager.GetSync());
    display_open = display.Open(DisplayKind::kNull, script.name, &settings, &demo->demoDevice,
                                &display_error) == DisplayOutcome::kOpen;
  };
  steps.libraries = [&](TiXmlElement* element) {
    LoadLibraryList(element, &demo->widgetManager, nullptr);
  };
  DispatchScript(script, demo.get(), steps, &display_open);
  if (!display_open) {
    *error = display_error.empty() ? "the script \"" + script.path +
                                         "\" has no \"settings\" element: nothing in it is built"
                                   : display_error;
    demo->timeline.Free();
    return false;
  }
  out->files = ReferencedFiles(&demo->timeline, &demo->resourceManager,
                               &demo->widgetManager.GetSync(), script.folder);
  // As the player ends: the demo first, then the device it drew on.
  demo->timeline.Free();
  IDirect3DDevice9* device = demo->demoDevice.m_pD3DDevice;
  IDirect3D9* d3d = demo->demoDevice.m_pD3D;
  demo.reset();
  if (device) device->Release();
  if (d3d) d3d->Release();
  return true;
}

}  // namespace vexil

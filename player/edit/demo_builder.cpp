// A demo rebuilt from its script on the running device, with its complaints caught.
#include "demo_builder.h"

#include "caught_output.h"
#include "demo_loader.h"

namespace vexil {

DemoBuild BuildDemo(const std::string& path, const std::string& script_folder, IDirect3D9* d3d,
                    IDirect3DDevice9* device, int width, int height) {
  DemoBuild build;
  DemoScript script;
  std::string error;
  if (!OpenDemoScript(path, &script, &error)) {
    build.problems.push_back(error);
    return build;
  }

  auto demo = std::make_unique<DemoParts>();
  demo->demoDevice.SetD3D(d3d);
  demo->demoDevice.SetD3DDevice(device);
  demo->demoDevice.m_width = width;
  demo->demoDevice.m_height = height;
  demo->widgetManager.SetScriptFolder(script_folder);
  demo->widgetManager.SetReporter(
      [&build](const CScriptFinding& finding) { build.notes.push_back(finding.Printed()); });

  // The display exists already: "settings" is only read, for its timing.
  ProgramSteps steps;
  steps.settings = [&build, &demo](TiXmlElement* element) {
    ApplySettingsElement(element, &build.settings);
    ApplySyncSettings(build.settings, &demo->widgetManager.GetSync());
  };
  steps.libraries = [&demo](TiXmlElement* element) {
    LoadLibraryList(element, &demo->widgetManager, nullptr);
  };
  // A failing file or device object shows a message box: here it goes into the problems, and
  // what the libraries print on stderr names the file and the reason.
  const CaughtOutput said =
      CatchOutput([&] { DispatchScript(script, demo.get(), steps, nullptr); });

  build.problems = said.lines;
  if (said.boxes > 0 && build.problems.empty()) {
    build.problems.push_back("the demo could not be built");
  }
  demo->widgetManager.SetReporter(nullptr);
  build.demo = std::move(demo);
  return build;
}

}  // namespace vexil

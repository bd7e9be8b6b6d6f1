// A demo rebuilt from its script on the running device, with its complaints caught.
#include "demo_builder.h"

#include <strings.h>

#include <cstdio>
#include <sstream>

#include "script_source.h"
#include "system/message_box.h"
#include "system/stderr_capture.h"

namespace vexil {

namespace {

// Takes "settings" and "libraries" for a demo built on an existing display.
class CBuildHandler : public CXmlHandler {
 public:
  CBuildHandler(DemoParts* demo, PlayerSettings* settings) : m_demo(demo), m_settings(settings) {}
  void Parse(TiXmlElement* element) override {
    if (strcasecmp(element->Value(), "settings") == 0) {
      ApplySettingsElement(element, m_settings);
    } else if (strcasecmp(element->Value(), "libraries") == 0) {
      LoadLibraryList(element, &m_demo->widgetManager, nullptr);
    }
  }

 private:
  DemoParts* m_demo;
  PlayerSettings* m_settings;
};

}  // namespace

std::vector<std::string> OutputLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

void LoadLibraryList(TiXmlElement* element, CWidgetManager* manager,
                     std::vector<CScriptFinding>* findings) {
  if (!manager->Load("scenecore.dll") && findings) {
    findings->push_back(
        {element->Row(), EFindingSeverity::Finding,
         "the engine library \"scenecore.dll\" cannot be loaded: " + manager->GetLastError()});
  }
  for (TiXmlElement* child = element->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const char* file = child->Attribute("file");
    const std::string where = "line " + std::to_string(child->Row()) + ": ";
    if (!file) {
      if (findings) {
        findings->push_back({child->Row(), EFindingSeverity::Finding,
                             "library entry without a \"file\" attribute"});
      }
      continue;
    }
    // A library that does not load is skipped; only a check says so, unless it was refused
    // (a folder in its name, a file that is no plug-in), which the demo's watcher hears too.
    if (manager->Load(file)) continue;
    if (findings) {
      findings->push_back(
          {child->Row(), EFindingSeverity::Finding,
           "library \"" + std::string(file) + "\" cannot be loaded: " + manager->GetLastError()});
    } else if (manager->LastLoadRefused()) {
      std::fprintf(stderr, "vexil: %s%s\n", where.c_str(), manager->GetLastError().c_str());
    }
  }
}

DemoBuild BuildDemo(const std::string& path, const std::string& script_folder, IDirect3D9* d3d,
                    IDirect3DDevice9* device, int width, int height) {
  DemoBuild build;
  CXmlHandler loader;
  std::string error;
  if (!LoadScript(path, &loader, &error)) {
    build.problems.push_back(error);
    return build;
  }
  TiXmlElement* root = loader.GetRootElement();

  auto demo = std::make_unique<DemoParts>();
  demo->demoDevice.SetD3D(d3d);
  demo->demoDevice.SetD3DDevice(device);
  demo->demoDevice.m_width = width;
  demo->demoDevice.m_height = height;
  demo->widgetManager.SetScriptFolder(script_folder);
  demo->widgetManager.SetReporter(
      [&build](const CScriptFinding& finding) { build.notes.push_back(finding.Printed()); });
  demo->NoteModuleTypes(root);

  // A failing file or device object shows a message box: here it goes into the problems, and
  // what the libraries print on stderr names the file and the reason.
  int boxes = 0;
  sys::MessageSink previous =
      sys::SetMessageSink([&boxes](const std::string&, const std::string&) { ++boxes; });
  sys::StderrCapture capture;
  CBuildHandler handler(demo.get(), &build.settings);
  loader.AddHandler("settings", &handler);
  loader.AddHandler("libraries", &handler);
  loader.AddHandler("timeline", &demo->timeline);
  loader.AddHandler("resources", &demo->resourceManager);
  loader.Parse(root);
  const std::string said = capture.Finish();
  sys::SetMessageSink(std::move(previous));

  build.problems = OutputLines(said);
  if (boxes > 0 && build.problems.empty()) build.problems.push_back("the demo could not be built");
  demo->widgetManager.SetReporter(nullptr);
  build.demo = std::move(demo);
  return build;
}

}  // namespace vexil

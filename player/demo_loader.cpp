// Script loading and the dispatch of its top-level elements, shared by every build of a demo.
#include "demo_loader.h"

#include <strings.h>

#include <cstdio>
#include <filesystem>

#include "script_source.h"
#include "system/file_lookup.h"

namespace vexil {

namespace {

// The demo's name as the window title takes it: 255 bytes at most, and never half a UTF-8
// character, which would spoil the title.
std::string DemoName(const char* name) {
  if (!name) return "";
  std::string text(name);
  if (text.size() < 256) return text;
  size_t end = 255;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// Takes "settings" and "libraries" for the program.
class CProgramElements : public CXmlHandler {
 public:
  explicit CProgramElements(const ProgramSteps& steps) : m_steps(steps) {}
  void Parse(TiXmlElement* element) override {
    if (!element) return;
    if (strcasecmp(element->Value(), "settings") == 0) {
      if (m_steps.settings) m_steps.settings(element);
    } else if (strcasecmp(element->Value(), "libraries") == 0) {
      if (m_steps.libraries) m_steps.libraries(element);
    }
  }

 private:
  const ProgramSteps& m_steps;
};

// Forwards an element to its target only while the display exists.
class CDisplayGate : public CXmlHandler {
 public:
  CDisplayGate(CXmlHandler* target, const bool* open) : m_target(target), m_open(open) {}
  void Parse(TiXmlElement* element) override {
    if (!m_open || *m_open) m_target->Parse(element);
  }

 private:
  CXmlHandler* m_target;
  const bool* m_open;
};

}  // namespace

bool OpenDemoScript(const std::string& given, DemoScript* script, std::string* error) {
  // A demo copied from Windows may be started by its Windows name ("DEMO.GMA" for demo.gma).
  const sys::FileLookup found = sys::LookUpFile(given.c_str());
  script->path = found.found() ? found.path : given;
  script->folder = std::filesystem::path(script->path).parent_path().string();
  if (script->folder.empty()) script->folder = ".";
  script->loader = std::make_unique<CXmlHandler>();
  if (!LoadScript(script->path, script->loader.get(), error)) return false;
  script->root = script->loader->GetRootElement();
  script->name = DemoName(script->root->Attribute("name"));
  return true;
}

void DispatchScript(const DemoScript& script, DemoParts* demo, const ProgramSteps& steps,
                    const bool* display_open) {
  demo->NoteModuleTypes(script.root);
  CProgramElements program(steps);
  CDisplayGate timeline(&demo->timeline, display_open);
  CDisplayGate resources(&demo->resourceManager, display_open);
  CXmlHandler& loader = *script.loader;
  loader.AddHandler("settings", &program);
  loader.AddHandler("libraries", &program);
  loader.AddHandler("timeline", &timeline);
  loader.AddHandler("resources", &resources);
  loader.Parse(script.root);
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
      std::fprintf(stderr, "vexil: line %d: %s\n", child->Row(), manager->GetLastError().c_str());
    }
  }
}

}  // namespace vexil

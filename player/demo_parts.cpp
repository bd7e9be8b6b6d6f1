// Wiring of a demo's parts, the names of its modules and the files it reads.
#include "demo_parts.h"

#include <strings.h>

#include <filesystem>

#include "script_check.h"
#include "system/file_lookup.h"
#include "timeline/module.h"
#include "timeline/resource.h"

namespace vexil {

namespace {

// Where the loaders find a file the script names (Windows-style names resolved as they resolve
// them); a missing file is watched under its plain name, so that its arrival is seen.
std::string WatchedPath(const std::string& name, const std::string& script_folder) {
  const std::string home = sys::FolderPrefix(script_folder);
  return sys::LookUpFile(name, {home}, home).path;
}

void NamedBy(const CDataProvider* object, const std::string& script_folder,
             std::vector<std::string>* files, std::vector<std::string>* folders) {
  for (int i = 0; i < object->GetValueCount(); ++i) {
    CValue* value = object->GetValue(i);
    if (value->GetRefers() == EValueRefers::File) {
      for (const std::string& text : TextsOf(value)) {
        if (!text.empty()) files->push_back(WatchedPath(text, script_folder));
      }
    } else if (value->GetRefers() == EValueRefers::Folder) {
      // A prefix of file names ("textures\"): the folder it lies in.
      for (const std::string& prefix : TextsOf(value)) {
        const std::string path = WatchedPath(prefix + "x", script_folder);
        const std::string folder = std::filesystem::path(path).parent_path().string();
        folders->push_back(folder.empty() ? "." : folder);
      }
    }
  }
}

}  // namespace

DemoParts::DemoParts() {
  demoDevice.SetWidgetManager(&widgetManager);
  demoDevice.SetResourceManager(&resourceManager);
  demoDevice.SetTextureManager(&textureManager);
  resourceManager.SetDemoDevice(&demoDevice);
  timeline.SetDemoDevice(&demoDevice);
}

DemoParts::~DemoParts() {
  timeline.Free();
}

void DemoParts::NoteModuleTypes(TiXmlElement* root) {
  if (!root) return;
  for (TiXmlElement* part = root->FirstChildElement(); part; part = part->NextSiblingElement()) {
    if (strcasecmp(part->Value(), "timeline") != 0) continue;
    for (TiXmlElement* child = part->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
      const char* type = child->Attribute("type");
      module_types_[{child->Row(), child->Column()}] = type ? type : "";
      module_elements_[{child->Row(), child->Column()}] = child->Value();
    }
  }
}

std::string DemoParts::ModuleType(const CModule* module) const {
  const auto found = module_types_.find({module->GetScriptLine(), module->GetScriptColumn()});
  return found == module_types_.end() ? std::string() : found->second;
}

std::string DemoParts::ModuleElement(const CModule* module) const {
  const auto found = module_elements_.find({module->GetScriptLine(), module->GetScriptColumn()});
  return found == module_elements_.end() ? std::string() : found->second;
}

void DemoParts::NamedFiles(std::vector<std::string>* files,
                           std::vector<std::string>* folders) const {
  const std::string& folder = widgetManager.GetScriptFolder();
  for (int i = 0; i < timeline.GetModuleCount(); ++i) {
    NamedBy(timeline.GetModule(i), folder, files, folders);
  }
  for (int i = 0; i < resourceManager.GetResourceCount(); ++i) {
    NamedBy(resourceManager.GetResourceAt(i), folder, files, folders);
  }
}

}  // namespace vexil

// One demo as its script builds it: the timeline and the three managers that the script's
// elements fill, wired to each other through a device holder. The player plays one; edit mode
// builds the next one beside it and swaps them when it is good.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "scenecore.h"
#include "timeline/demodevice.h"
#include "timeline/resourcemanager.h"
#include "timeline/texturemanager.h"
#include "timeline/timeline.h"

class TiXmlElement;

namespace vexil {

struct DemoParts {
  DemoParts();
  // Calls the timeline's Free; the members then go in reverse order: texture manager, resource
  // manager, widget manager (which frees every plug-in object and unloads the libraries), the
  // device holder and the timeline. The device itself belongs to the player.
  ~DemoParts();
  DemoParts(const DemoParts&) = delete;
  DemoParts& operator=(const DemoParts&) = delete;

  // Remembers the "type" of every module element of the script's timelines by its place in
  // the script, so that a module can be named (ModuleType).
  void NoteModuleTypes(TiXmlElement* root);
  // The type a module was made from, "" when unknown.
  std::string ModuleType(const CModule* module) const;
  // The name of the script element a module was made from ("black"), "" when unknown.
  std::string ModuleElement(const CModule* module) const;
  // The files and folders the demo's modules and resources name, for watching them: found as
  // the loaders find them (names written the Windows way included).
  void NamedFiles(std::vector<std::string>* files, std::vector<std::string>* folders) const;

  CTimeline timeline;
  CDemoDevice demoDevice;
  CWidgetManager widgetManager;
  CResourceManager resourceManager;
  CTextureManager textureManager;

 private:
  std::map<std::pair<int, int>, std::string> module_types_;
  std::map<std::pair<int, int>, std::string> module_elements_;
};

}  // namespace vexil

// Reads a demo's script and builds the demo from it: the one place where the script's
// top-level elements meet their handlers. "settings" and "libraries" belong to the program and
// go to the two steps the caller gives; "timeline" and "resources" go to the demo's timeline and
// resource manager. The player's first build and edit mode's rebuilds both come through here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "demo_parts.h"
#include "scenecore.h"
#include "script/script_finding.h"

namespace vexil {

// A script loaded and ready to build.
struct DemoScript {
  std::string path;    // as found: a name written the Windows way may have matched another
  std::string folder;  // where plug-ins shipped with the demo are looked for
  std::string name;    // the root's "name", at most 255 bytes, cut at a character boundary
  std::unique_ptr<CXmlHandler> loader;  // holds the document
  TiXmlElement* root = nullptr;
};

// Finds and loads the script at `given`: plain XML, or a ".gma" container decoded in memory.
bool OpenDemoScript(const std::string& given, DemoScript* script, std::string* error);

// What a build does with the script's "settings" and "libraries" elements.
struct ProgramSteps {
  std::function<void(TiXmlElement*)> settings;
  std::function<void(TiXmlElement*)> libraries;
};

// Hands the script's top-level elements, in document order, to `steps` and to `demo`. With
// `display_open`, the timeline and the resources are built only while it is true: without a
// device they could not build, so a display that failed stops them cleanly.
void DispatchScript(const DemoScript& script, DemoParts* demo, const ProgramSteps& steps,
                    const bool* display_open);

// Loads "scenecore.dll" and then each library a "libraries" element lists, into `manager`.
// With `findings`, says there what could not be loaded (check mode); otherwise a library that
// does not load is skipped silently, as the player always has.
void LoadLibraryList(TiXmlElement* element, CWidgetManager* manager,
                     std::vector<CScriptFinding>* findings);

}  // namespace vexil

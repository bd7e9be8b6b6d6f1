// The script checker behind --check: the player's own part.
#include "script_check.h"

#include <strings.h>
#include <tinyxml.h>

#include <cmath>
#include <map>
#include <set>

#include "params/paramvar.h"
#include "params/scripttext.h"
#include "params/value.h"
#include "scenecore.h"
#include "system/file_lookup.h"
#include "system/text_encoding.h"
#include "timeline/texturemanager.h"

namespace vexil {
namespace {

bool NameIs(const TiXmlElement* element, const char* name) {
  return strcasecmp(element->Value(), name) == 0;
}

std::string Quoted(const char* text) {
  return std::string("\"") + (text ? text : "") + "\"";
}

}  // namespace

std::set<std::string> TextsOf(CValue* value) {
  std::set<std::string> texts;
  CParam** slot = value->GetParam();
  auto* param = slot ? dynamic_cast<CParamString*>(*slot) : nullptr;
  if (!param) return texts;
  if (auto* keyed = dynamic_cast<CParamVar*>(param)) {
    for (const CParamKeyframe* key : keyed->GetKeys()) {
      const char* text = param->GetValue(key->GetTime());
      if (text) texts.insert(text);
    }
  } else if (const char* text = param->GetValue()) {
    texts.insert(text);
  }
  return texts;
}

ScriptChecker::ScriptChecker(const CTimeline* timeline, const CResourceManager* resources,
                             const CTextureManager* textures, const std::string& scriptFolder)
    : timeline_(timeline),
      resources_(resources),
      textures_(textures),
      scriptFolder_(scriptFolder) {}

void ScriptChecker::Report(int line, const std::string& text) {
  findings_.push_back("line " + std::to_string(line) + ": " + text);
}

void ScriptChecker::Report(const TiXmlElement* element, const std::string& text) {
  Report(element ? element->Row() : 0, text);
}

void ScriptChecker::CheckScript(const TiXmlElement* root) {
  if (!root) return;
  if (!root->Attribute("name")) Report(root, "the root element has no \"name\" attribute");
  // Elements are handled in document order: what needs the display or the plug-in types
  // must come after "settings" and "libraries".
  bool seen_settings = false;
  bool seen_libraries = false;
  for (const TiXmlElement* child = root->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const bool builds = NameIs(child, "resources") || NameIs(child, "timeline");
    if (builds && !seen_settings) {
      Report(child, "<" + std::string(child->Value()) +
                        "> comes before <settings>: without a display nothing in it is built");
    } else if (builds && !seen_libraries) {
      Report(child, "<" + std::string(child->Value()) +
                        "> comes before <libraries>: none of its types are loaded yet, so "
                        "nothing in it is built");
    }
    if (NameIs(child, "settings")) {
      seen_settings = true;
      CheckSettings(child);
    } else if (NameIs(child, "libraries")) {
      seen_libraries = true;  // load failures were reported while the libraries were loaded
    } else if (NameIs(child, "resources")) {
      // What the engine could not build it reported itself.
    } else if (NameIs(child, "timeline")) {
      CheckTargets(child);
      CheckMaterialOrder(child);
    } else {
      Report(child, "element <" + std::string(child->Value()) + "> is not read by the player");
    }
  }
  for (int i = 0; i < resources_->GetResourceCount(); ++i) {
    CheckReferences(resources_->GetResourceAt(i));
  }
  for (int i = 0; i < timeline_->GetModuleCount(); ++i) CheckReferences(timeline_->GetModule(i));
}

void ScriptChecker::CheckSettings(const TiXmlElement* settings) {
  static const char* const kKnown[] = {"width",      "height",      "framerate", "bpp",
                                       "fullscreen", "setupdialog", "starttime", "fpslimiter",
                                       "bpm",        "rowsperbeat", "synctracks"};
  for (const TiXmlElement* child = settings->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    bool known = false;
    for (const char* name : kKnown) known = known || NameIs(child, name);
    if (!known) {
      Report(child, "unknown setting <" + std::string(child->Value()) + "> is ignored");
    } else if (!child->Attribute("value")) {
      Report(child, "setting <" + std::string(child->Value()) +
                        "> has no \"value\" attribute and is ignored");
    }
  }
}

void ScriptChecker::CheckKeyOrder(const TiXmlElement* owner, const std::string& what) {
  bool first = true;
  float previous = 0.0f;
  for (const TiXmlElement* key = owner->FirstChildElement(); key; key = key->NextSiblingElement()) {
    if (!NameIs(key, "key") || !key->Attribute("time")) continue;
    const float time = ScriptFloat(key->Attribute("time"));
    if (!first && time < previous) {
      Report(key, "the keys of " + what + " are out of time order (" + std::to_string(time) +
                      " after " + std::to_string(previous) + ")");
      return;
    }
    first = false;
    previous = time;
  }
}

void ScriptChecker::CheckTargets(const TiXmlElement* timeline) {
  for (const TiXmlElement* module = timeline->FirstChildElement(); module;
       module = module->NextSiblingElement()) {
    CheckModuleTargets(module);
  }
}

void ScriptChecker::CheckModuleTargets(const TiXmlElement* module) {
  auto check_value = [&](const TiXmlElement* element) {
    const char* value = element->Attribute("value");
    if (value && strcasecmp(value, "_SCREEN") == 0) return;
    if (!textures_->GetTexture(value ? value : "")) {
      Report(element, "render target " + Quoted(value) +
                          " does not exist: the module draws into the current target instead");
    } else if (!textures_->GetDepthStencil(value)) {
      Report(element, "texture " + Quoted(value) + " is not a render target (texture type 1)");
    }
  };
  for (const TiXmlElement* target = module->FirstChildElement(); target;
       target = target->NextSiblingElement()) {
    if (!NameIs(target, "target")) continue;
    if (!target->FirstChildElement()) {
      check_value(target);
      continue;
    }
    for (const TiXmlElement* key = target->FirstChildElement(); key;
         key = key->NextSiblingElement()) {
      if (NameIs(key, "key")) check_value(key);
    }
    CheckKeyOrder(target, "a render-target schedule");
  }
}

void ScriptChecker::CheckMaterialOrder(const TiXmlElement* timeline) {
  // The modules built from this timeline element, found by where in the script each starts.
  std::map<std::pair<int, int>, const TiXmlElement*> elements;
  for (const TiXmlElement* child = timeline->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    elements[{child->Row(), child->Column()}] = child;
  }
  struct Placed {
    const CModule* module;
    const TiXmlElement* element;
    int order;  // the timeline's own: by layer, script order within a layer
  };
  std::vector<Placed> placed;
  for (int i = 0; i < timeline_->GetModuleCount(); ++i) {
    const CModule* module = timeline_->GetModule(i);
    const auto found = elements.find({module->GetScriptLine(), module->GetScriptColumn()});
    if (found == elements.end() || module->GetEndTime() < module->GetStartTime()) continue;
    placed.push_back({module, found->second, i});
  }
  // A module draws after another in the same frame when its layer is higher, or equal and
  // later in the script; and after every module that started in an earlier frame. So a
  // material is set before a module when some setter starts earlier, or starts at the same
  // time and comes earlier in render order: the earliest setter start, and per start time the
  // earliest setter in render order, answer that for every module at once.
  std::map<float, int> firstSetterAt;  // start time -> lowest render position of a setter
  for (const Placed& setter : placed) {
    // A start that is no number never comes before anything (nor plays).
    if (setter.module->GetMaterialUse() != EMaterialUse::LeavesSet ||
        std::isnan(setter.module->GetStartTime())) {
      continue;
    }
    const auto [slot, added] = firstSetterAt.emplace(setter.module->GetStartTime(), setter.order);
    if (!added && setter.order < slot->second) slot->second = setter.order;
  }
  for (const Placed& taker : placed) {
    if (taker.module->GetMaterialUse() != EMaterialUse::TakesLeftOver) continue;
    const float start = taker.module->GetStartTime();
    const auto same = std::isnan(start) ? firstSetterAt.end() : firstSetterAt.find(start);
    const bool materialSet =
        !std::isnan(start) && ((!firstSetterAt.empty() && firstSetterAt.begin()->first < start) ||
                               (same != firstSetterAt.end() && same->second < taker.order));
    if (!materialSet) {
      Report(taker.element,
             "module " + Quoted(taker.element->Attribute("type")) +
                 " can draw before any module has set a material: it takes its colour from "
                 "the material an earlier effect leaves, and draws black without one");
    }
  }
}

void ScriptChecker::CheckReferences(CDataProvider* object) {
  if (!object) return;
  for (int i = 0; i < object->GetValueCount(); ++i) {
    CValue* value = object->GetValue(i);
    const EValueRefers refers = value->GetRefers();
    if (refers == EValueRefers::Nothing) continue;
    const int line =
        (value->GetParam() && *value->GetParam()) ? (*value->GetParam())->GetScriptLine() : 0;
    for (const std::string& text : TextsOf(value)) {
      switch (refers) {
        case EValueRefers::File: {
          // The lookup playback makes, so that the check finds what the player will open.
          const sys::FileLookup lookup = sys::LookUpFile(text, {sys::FolderPrefix(scriptFolder_)});
          const sys::FileLookupReport report = sys::DescribeFileLookup(
              "file " + Quoted(sys::Printable(text).c_str()), lookup, "the script's folder");
          if (!report.problem.empty()) Report(line, report.problem);
          if (!report.note.empty()) Report(line, "note: " + report.note);
          break;
        }
        case EValueRefers::Resource:
          if (!resources_->GetResource(text.c_str())) {
            Report(line, "resource " + Quoted(text.c_str()) + " does not exist");
          }
          break;
        case EValueRefers::Texture:
          if (!text.empty() && strcasecmp(text.c_str(), "_SCREEN") != 0 &&
              !textures_->GetTexture(text.c_str())) {
            Report(line, "texture " + Quoted(text.c_str()) + " does not exist");
          }
          break;
        case EValueRefers::Folder:  // a prefix of file names, not necessarily a folder
        case EValueRefers::Nothing:
          break;
      }
    }
  }
}

}  // namespace vexil

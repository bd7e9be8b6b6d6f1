// The script checker behind --check.
#include "script_check.h"

#include <strings.h>
#include <tinyxml.h>

#include <filesystem>

#include "params/scripttext.h"
#include "params/value.h"
#include "scenecore.h"
#include "timeline/texturemanager.h"

namespace vexil {
namespace {

// Catalogues are walked until GetName says no; a bound keeps a faulty one from hanging us.
constexpr int kMaxCatalogueEntries = 100000;

const char* KindName(uint8_t kind) {
  switch (kind) {
    case PLUGIN_KIND_MODULE:
      return "module";
    case PLUGIN_KIND_PARAM:
      return "parameter";
    case PLUGIN_KIND_RESOURCE:
      return "resource";
    default:
      return "unknown kind of";
  }
}

bool NameIs(const TiXmlElement* element, const char* name) {
  return strcasecmp(element->Value(), name) == 0;
}

std::string Quoted(const char* text) {
  return std::string("\"") + (text ? text : "") + "\"";
}

}  // namespace

ScriptChecker::ScriptChecker(CWidgetManager* widgets, const CTextureManager* textures)
    : widgets_(widgets), textures_(textures) {
  for (int i = 0; i < widgets_->GetLibraryCount(); ++i) {
    const CPluginLibrary* library = widgets_->GetLibrary(i);
    if (!library || !library->getName) continue;
    for (int32_t index = 0; index < kMaxCatalogueEntries; ++index) {
      char name[PLUGIN_NAME_SIZE] = {};
      uint8_t kind = 0;
      if (!library->getName(index, name, &kind)) break;
      catalogue_.push_back({name, kind});
    }
  }
}

void ScriptChecker::Report(const TiXmlElement* element, const std::string& text) {
  findings_.push_back("line " + std::to_string(element ? element->Row() : 0) + ": " + text);
}

const ScriptChecker::CatalogueEntry* ScriptChecker::FindType(const char* name) const {
  if (!name) return nullptr;
  // The manager creates through the first library that lists the name: the same order here.
  for (const CatalogueEntry& entry : catalogue_) {
    if (strcasecmp(entry.name.c_str(), name) == 0) return &entry;
  }
  return nullptr;
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
      CheckResources(child);
    } else if (NameIs(child, "timeline")) {
      CheckTimeline(child);
    } else {
      Report(child, "element <" + std::string(child->Value()) + "> is not read by the player");
    }
  }
}

void ScriptChecker::CheckSettings(const TiXmlElement* settings) {
  static const char* const kKnown[] = {"width",      "height",      "framerate", "bpp",
                                       "fullscreen", "setupdialog", "starttime", "fpslimiter"};
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

CDataProvider* ScriptChecker::ProbeObject(const TiXmlElement* element, uint8_t kind) {
  const char* type = element->Attribute("type");
  if (!type) {
    Report(element, std::string(KindName(kind)) + " element <" + element->Value() +
                        "> has no \"type\" attribute and is skipped");
    return nullptr;
  }
  const CatalogueEntry* entry = FindType(type);
  if (!entry) {
    Report(element, std::string("unknown ") + KindName(kind) + " type " + Quoted(type) +
                        ": no loaded library offers it, so it is skipped");
    return nullptr;
  }
  if (entry->kind != kind) {
    Report(element, Quoted(type) + " is a " + KindName(entry->kind) + " type, not a " +
                        KindName(kind) + " type, so it is skipped");
    return nullptr;
  }
  CDataProvider* probe = widgets_->CreateInstance(type, kind);
  if (!probe) {
    Report(element, "the library that lists " + Quoted(type) + " does not make it");
  }
  return probe;
}

void ScriptChecker::CheckParams(const TiXmlElement* element, CDataProvider* probe) {
  // A music module reads "filename" as the name of a raw resource when it loads from memory.
  bool from_memory = false;
  for (const TiXmlElement* param = element->FirstChildElement(); param;
       param = param->NextSiblingElement()) {
    if (!NameIs(param, "param")) continue;
    const char* name = param->Attribute("name");
    const char* value = param->Attribute("value");
    if (name && value && strcasecmp(name, "loadfrom") == 0 && strcasecmp(value, "memory") == 0) {
      from_memory = true;
    }
  }
  for (const TiXmlElement* param = element->FirstChildElement(); param;
       param = param->NextSiblingElement()) {
    if (!NameIs(param, "param")) continue;
    const char* name = param->Attribute("name");
    const char* type = param->Attribute("type");
    CValue* value = probe->FindValue(name);
    if (!value) {
      Report(param, Quoted(element->Attribute("type")) + " has no value named " + Quoted(name) +
                        ": the parameter is ignored");
      continue;
    }
    const CatalogueEntry* entry = FindType(type);
    if (!entry || entry->kind != PLUGIN_KIND_PARAM) {
      Report(param, "unknown parameter type " + Quoted(type) + " for " + Quoted(name) +
                        ": the value keeps its default");
      continue;
    }
    CDataProvider* made = widgets_->CreateInstance(type, PLUGIN_KIND_PARAM);
    if (made && !value->Accepts(made)) {
      Report(param, "parameter type " + Quoted(type) + " does not fit the value " + Quoted(name) +
                        ": the value keeps its default");
      continue;
    }
    CheckKeyOrder(param, "parameter " + Quoted(name));
    if (strcasecmp(name, "filename") == 0 && from_memory) {
      if (param->Attribute("value")) CheckResourceName(param, param->Attribute("value"));
    } else if (strcasecmp(name, "filename") == 0) {
      if (param->Attribute("value")) CheckFile(param, param->Attribute("value"));
      for (const TiXmlElement* key = param->FirstChildElement(); key;
           key = key->NextSiblingElement()) {
        if (NameIs(key, "key") && key->Attribute("value")) CheckFile(key, key->Attribute("value"));
      }
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

void ScriptChecker::CheckFile(const TiXmlElement* element, const char* path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    Report(element, "file " + Quoted(path) + " does not exist");
  }
}

void ScriptChecker::CheckResourceName(const TiXmlElement* element, const char* name) {
  for (const std::string& known : resource_names_) {
    if (strcasecmp(known.c_str(), name) == 0) return;
  }
  Report(element, "resource " + Quoted(name) + " does not exist (loaded from memory)");
}

void ScriptChecker::CheckTargets(const TiXmlElement* module) {
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

void ScriptChecker::CheckResources(const TiXmlElement* resources) {
  std::vector<std::string>& names = resource_names_;
  for (const TiXmlElement* child = resources->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    CDataProvider* probe = ProbeObject(child, PLUGIN_KIND_RESOURCE);
    if (!probe) continue;
    const char* name = child->Attribute("name");
    if (!name || !*name) {
      Report(child, "resource without a \"name\": nothing can use it");
    } else {
      for (const std::string& earlier : names) {
        if (strcasecmp(earlier.c_str(), name) == 0) {
          Report(child, "a resource named " + Quoted(name) +
                            " comes earlier: this one can never be found");
          break;
        }
      }
      names.push_back(name);
    }
    CheckParams(child, probe);
  }
}

void ScriptChecker::CheckTimeline(const TiXmlElement* timeline) {
  std::vector<PlacedModule> placed;
  for (const TiXmlElement* child = timeline->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    CDataProvider* probe = ProbeObject(child, PLUGIN_KIND_MODULE);
    if (!probe) continue;
    const float start = AttributeFloat(child, "start");
    const bool plays = AttributeFloat(child, "end") >= start;
    if (!plays) {
      Report(child, "module " + Quoted(child->Attribute("type")) +
                        " ends before it starts and never plays");
    }
    CheckParams(child, probe);
    CheckTargets(child);
    if (const auto* module = dynamic_cast<const CModule*>(probe); module && plays) {
      placed.push_back({child, start, static_cast<int16_t>(AttributeInt(child, "layer")),
                        static_cast<int>(placed.size()), module->GetMaterialUse()});
    }
  }
  CheckMaterialOrder(placed);
}

void ScriptChecker::CheckMaterialOrder(const std::vector<PlacedModule>& modules) {
  // A module draws after another in the same frame when its layer is higher, or equal and
  // later in the script; and after every module that started in an earlier frame.
  auto drawsBefore = [](const PlacedModule& a, const PlacedModule& b) {
    if (a.start != b.start) return a.start < b.start;
    return a.layer != b.layer ? a.layer < b.layer : a.order < b.order;
  };
  for (const PlacedModule& taker : modules) {
    if (taker.materialUse != EMaterialUse::TakesLeftOver) continue;
    bool materialSet = false;
    for (const PlacedModule& setter : modules) {
      if (setter.materialUse == EMaterialUse::LeavesSet && drawsBefore(setter, taker)) {
        materialSet = true;
        break;
      }
    }
    if (!materialSet) {
      Report(taker.element,
             "module " + Quoted(taker.element->Attribute("type")) +
                 " can draw before any module has set a material: it takes its colour from "
                 "the material an earlier effect leaves, and draws black without one");
    }
  }
}

}  // namespace vexil

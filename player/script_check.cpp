// The script checker behind --check: the player's own part.
#include "script_check.h"

#include <strings.h>
#include <tinyxml.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "d3dx9/xfile_reader.h"
#include "fsound/fsound.h"
#include "params/paramvar.h"
#include "params/scripttext.h"
#include "params/synccontext.h"
#include "params/value.h"
#include "scenecore.h"
#include "script/script_attributes.h"
#include "system/file_lookup.h"
#include "system/regular_file.h"
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

// "5000 ms", "1234.5 ms".
std::string Milliseconds(float ms) {
  char text[48];
  std::snprintf(text, sizeof text, "%g ms", static_cast<double>(ms));
  return text;
}

int LineOf(CValue* value) {
  return (value->GetParam() && *value->GetParam()) ? (*value->GetParam())->GetScriptLine() : 0;
}

bool IsXMesh(const std::string& name) {
  return name.size() > 2 && strcasecmp(name.c_str() + name.size() - 2, ".x") == 0;
}

// The texture names of the .x mesh at `path`; none when it cannot be read (the build has said
// why). Bounded like any file a demo reads.
std::vector<std::string> MeshTextureNames(const std::string& path) {
  static constexpr uint64_t kMaxMeshBytes = 256ull << 20;
  std::vector<std::string> names;
  std::string bytes, error;
  bool missing = false;
  if (!sys::ReadRegularFile(path, kMaxMeshBytes, &bytes, &error, &missing)) return names;
  std::vector<d3dx::XMesh> meshes;
  if (FAILED(d3dx::ReadXFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                             &meshes, &error))) {
    return names;
  }
  for (const d3dx::XMesh& mesh : meshes) {
    for (const d3dx::XMaterial& material : mesh.materials) {
      if (!material.textureFile.empty()) names.push_back(material.textureFile);
    }
  }
  return names;
}

// Collects files without repeats, in the order they are first met.
class FileList {
 public:
  void Add(const std::string& name, const sys::FileLookup& lookup, int line) {
    if (!seen_.insert(lookup.path).second) return;
    files_.push_back({name, lookup.path, lookup.kind == sys::FileKind::kRegular, line});
  }
  std::vector<ReferencedFile> Take() { return std::move(files_); }

 private:
  std::set<std::string> seen_;
  std::vector<ReferencedFile> files_;
};

// The files `object`'s values name, and the textures of the meshes among them, looked up as
// the loaders look them up (a mesh's textures also in its "texturedir" and beside the mesh).
void AddFilesOf(CDataProvider* object, const std::string& home, FileList* list) {
  if (!object) return;
  std::string textureDir;
  for (int i = 0; i < object->GetValueCount(); ++i) {
    CValue* value = object->GetValue(i);
    if (value->GetRefers() != EValueRefers::Folder) continue;
    const std::set<std::string> texts = TextsOf(value);
    if (texts.size() == 1) textureDir = *texts.begin();
  }
  for (int i = 0; i < object->GetValueCount(); ++i) {
    CValue* value = object->GetValue(i);
    if (value->GetRefers() != EValueRefers::File) continue;
    for (const std::string& text : TextsOf(value)) {
      if (text.empty()) continue;
      const sys::FileLookup lookup = sys::LookUpFile(text, {home}, home);
      list->Add(text, lookup, LineOf(value));
      if (!IsXMesh(text) || lookup.kind != sys::FileKind::kRegular) continue;
      std::vector<std::string> homes;
      if (!textureDir.empty()) homes.push_back(textureDir);
      homes.push_back(sys::FolderPrefixOf(lookup.path));
      for (const std::string& texture : MeshTextureNames(lookup.path)) {
        const std::string name =
            sys::IsWindowsAbsolutePath(texture) ? texture : textureDir + texture;
        list->Add(name, sys::LookUpFile(name, homes, home), 0);
      }
    }
  }
}

}  // namespace

std::vector<ReferencedFile> ReferencedFiles(const CTimeline* timeline,
                                            const CResourceManager* resources,
                                            const CSyncContext* sync,
                                            const std::string& scriptFolder) {
  const std::string home = sys::FolderPrefix(scriptFolder);
  FileList list;
  for (int i = 0; i < resources->GetResourceCount(); ++i) {
    AddFilesOf(resources->GetResourceAt(i), home, &list);
  }
  for (int i = 0; i < timeline->GetModuleCount(); ++i) {
    AddFilesOf(timeline->GetModule(i), home, &list);
  }
  for (int32_t i = 0; sync && i < sync->GetTrackCount(); ++i) {
    std::string path = sync->TrackFilePath(sync->GetTrackName(i), scriptFolder);
    // Tracks from an editor project all come from that one file.
    const std::string name = path.empty() ? sync->GetTrackSource() : path;
    if (path.empty()) path = home + sync->GetTrackSource();
    sys::FileLookup lookup = sys::LookUpFile(path);
    list.Add(name, lookup, 0);
  }
  return list.Take();
}

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

std::string ClockText(double ms) {
  if (!std::isfinite(ms)) return "?";
  const bool negative = ms < 0;
  const long long whole = std::llround(std::fabs(ms));
  const long long seconds = whole / 1000;
  char text[64];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", negative ? "-" : "", seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%s%lld:%02lld", negative ? "-" : "", seconds / 60,
                  seconds % 60);
  }
  std::string result = text;
  const long long fraction = whole % 1000;
  if (fraction != 0) {
    std::snprintf(text, sizeof text, ".%03lld", fraction);
    std::string digits = text;
    while (digits.back() == '0') digits.pop_back();
    result += digits;
  }
  return result;
}

ScriptChecker::ScriptChecker(const CTimeline* timeline, const CResourceManager* resources,
                             const CTextureManager* textures, const std::string& scriptFolder)
    : timeline_(timeline),
      resources_(resources),
      textures_(textures),
      scriptFolder_(scriptFolder) {}

double ScriptChecker::MusicLengthMs() const {
  // Bounded like the music module itself: the file (or the "raw" resource's file) is opened
  // through the sound library, which knows every format the demo can play.
  static constexpr unsigned kFileMode = 0x20132u;  // as the music module opens files
  double longest = -1.0;
  auto single_text = [](CValue* value) {
    const std::set<std::string> texts = value ? TextsOf(value) : std::set<std::string>();
    return texts.size() == 1 ? *texts.begin() : std::string();
  };
  for (int i = 0; i < timeline_->GetModuleCount(); ++i) {
    const CModule* module = timeline_->GetModule(i);
    if (!musicAt_.count({module->GetScriptLine(), module->GetScriptColumn()})) continue;
    CValue* loadFrom = module->FindValue("loadfrom");
    CValue* filename = module->FindValue("filename");
    if (!loadFrom || !filename) continue;
    std::string file = single_text(filename);
    if (strcasecmp(single_text(loadFrom).c_str(), "memory") == 0) {
      const CResource* raw = resources_->GetResource(file.c_str());
      file = raw ? single_text(raw->FindValue("filename")) : std::string();
    }
    if (file.empty()) continue;
    const sys::FileLookup lookup =
        sys::LookUpFile(file, {sys::FolderPrefix(scriptFolder_)}, sys::FolderPrefix(scriptFolder_));
    if (lookup.kind != sys::FileKind::kRegular) continue;
    FSOUND_STREAM* stream = FSOUND_Stream_Open(lookup.path.c_str(), kFileMode, 0, 0);
    if (!stream) continue;
    const int length = FSOUND_Stream_GetLengthMs(stream);
    FSOUND_Stream_Close(stream);
    if (length > longest) longest = length;
  }
  return longest;
}

std::string ScriptChecker::Summary(const std::string& name, int notes) const {
  std::set<int> layers;
  double first = 0.0;
  double last = 0.0;
  const int modules = timeline_->GetModuleCount();
  for (int i = 0; i < modules; ++i) {
    const CModule* module = timeline_->GetModule(i);
    layers.insert(module->GetLayer());
    if (i == 0 || module->GetStartTime() < first) first = module->GetStartTime();
    if (i == 0 || module->GetEndTime() > last) last = module->GetEndTime();
  }
  auto count = [](int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
  };
  std::string line = name + ": " + count(modules, "module", "modules") + " on " +
                     count(static_cast<int>(layers.size()), "layer", "layers") + ", " +
                     count(resources_->GetResourceCount(), "resource", "resources");
  if (modules > 0) line += ", " + ClockText(first) + "\xE2\x80\x93" + ClockText(last);
  const double music = MusicLengthMs();
  line += music >= 0 ? ", music " + ClockText(music) : std::string(", no music");
  line += " \xE2\x80\x94 no problems";
  if (notes > 0) line += " (" + count(notes, "note", "notes") + ")";
  return line;
}

void ScriptChecker::Report(int line, const std::string& text) {
  findings_.push_back({line, EFindingSeverity::Finding, text});
}

void ScriptChecker::Note(int line, const std::string& text) {
  findings_.push_back({line, EFindingSeverity::Note, text});
}

void ScriptChecker::Report(const TiXmlElement* element, const std::string& text) {
  Report(element ? element->Row() : 0, text);
}

void ScriptChecker::CheckAttributes(const TiXmlElement* element,
                                    std::initializer_list<const char*> known) {
  for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute;
       attribute = attribute->Next()) {
    const char* name = attribute->Name();
    bool read = false;
    for (const char* k : known) read = read || std::string(k) == name;
    if (!read) Report(element, UnknownAttributeText(element, name, known));
  }
}

void ScriptChecker::CheckScript(const TiXmlElement* root, bool built) {
  if (!root) return;
  if (!root->Attribute("name")) Report(root, "the root element has no \"name\" attribute");
  CheckAttributes(root, {"name"});
  // Elements are handled in document order: what needs the display or the plug-in types
  // must come after "settings" and "libraries".
  bool seen_settings = false;
  bool seen_libraries = false;
  // A script with no <settings> at all has been told so once: no element comes "before" it.
  bool has_settings = false;
  for (const TiXmlElement* child = root->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    has_settings = has_settings || NameIs(child, "settings");
  }
  for (const TiXmlElement* child = root->FirstChildElement(); child;
       child = child->NextSiblingElement()) {
    const bool builds = NameIs(child, "resources") || NameIs(child, "timeline");
    if (builds && !seen_settings && has_settings) {
      Report(child, "<" + std::string(child->Value()) +
                        "> comes before <settings>: without a display nothing in it is built");
    } else if (builds && !seen_libraries) {
      Report(child, "<" + std::string(child->Value()) +
                        "> comes before <libraries>: none of its types are loaded yet, so "
                        "nothing in it is built");
    }
    if (NameIs(child, "settings")) {
      seen_settings = true;
      CheckAttributes(child, {});
      CheckSettings(child);
    } else if (NameIs(child, "libraries")) {
      seen_libraries = true;  // load failures were reported while the libraries were loaded
      CheckAttributes(child, {});
      for (const TiXmlElement* library = child->FirstChildElement(); library;
           library = library->NextSiblingElement()) {
        CheckAttributes(library, {"file"});
      }
    } else if (NameIs(child, "resources")) {
      // What the engine could not build it reported itself.
      CheckAttributes(child, {});
    } else if (NameIs(child, "timeline")) {
      CheckAttributes(child, {});
      for (const TiXmlElement* module = child->FirstChildElement(); module;
           module = module->NextSiblingElement()) {
        const char* type = module->Attribute("type");
        if (type && strcasecmp(type, "fmod") == 0)
          musicAt_.insert({module->Row(), module->Column()});
      }
      // Without a display nothing was built: every target would seem missing.
      if (built) CheckTargets(child);
      CheckMaterialOrder(child);
    } else {
      std::string text = "element <" + std::string(child->Value()) + "> is not read by the player";
      const std::string nearest =
          NearestKnownName(child->Value(), {"settings", "libraries", "resources", "timeline"});
      if (!nearest.empty()) text += ": did you mean <" + nearest + ">?";
      Report(child, text);
    }
  }
  CheckSharedEnds();
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
      std::string text = "unknown setting <" + std::string(child->Value()) + "> is ignored";
      const std::string nearest =
          NearestKnownName(child->Value(), {"width", "height", "framerate", "bpp", "fullscreen",
                                            "setupdialog", "starttime", "fpslimiter"});
      if (!nearest.empty()) text += ": did you mean <" + nearest + ">?";
      Report(child, text);
      continue;
    }
    CheckAttributes(child, {"value"});
    if (!child->Attribute("value")) {
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

void ScriptChecker::CheckSharedEnds() {
  // Per layer, the modules by their end time; a module that starts exactly where another on its
  // layer ends shares that instant with it, since both ends of a span are inclusive.
  std::map<std::pair<int, float>, std::vector<const CModule*>> endingAt;
  for (int i = 0; i < timeline_->GetModuleCount(); ++i) {
    const CModule* module = timeline_->GetModule(i);
    if (!std::isfinite(module->GetStartTime()) || !std::isfinite(module->GetEndTime()) ||
        module->GetEndTime() < module->GetStartTime()) {
      continue;
    }
    endingAt[{module->GetLayer(), module->GetEndTime()}].push_back(module);
  }
  for (int i = 0; i < timeline_->GetModuleCount(); ++i) {
    const CModule* later = timeline_->GetModule(i);
    if (!std::isfinite(later->GetStartTime()) || later->GetEndTime() <= later->GetStartTime()) {
      continue;
    }
    const auto found = endingAt.find({later->GetLayer(), later->GetStartTime()});
    if (found == endingAt.end()) continue;
    std::vector<int> lines;
    for (const CModule* earlier : found->second) {
      if (earlier == later || earlier->GetStartTime() >= earlier->GetEndTime()) continue;
      lines.push_back(earlier->GetScriptLine());
    }
    if (lines.empty()) continue;
    std::string where = lines.size() == 1 ? "the module on line " : "the modules on lines ";
    for (size_t k = 0; k < lines.size(); ++k) {
      where += (k == 0 ? "" : k + 1 == lines.size() ? " and " : ", ") + std::to_string(lines[k]);
    }
    Note(later->GetScriptLine(),
         "this module starts at " + Milliseconds(later->GetStartTime()) + ", where " + where +
             " on the same layer " + (lines.size() == 1 ? "ends" : "end") +
             ": \"end\" is inclusive, so both draw the frame at " +
             Milliseconds(later->GetStartTime()) + " (start it a little later to hand over)");
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
    const int line = LineOf(value);
    for (const std::string& text : TextsOf(value)) {
      switch (refers) {
        case EValueRefers::File: {
          // The lookup playback makes, so that the check finds what the player will open.
          const std::string home = sys::FolderPrefix(scriptFolder_);
          const sys::FileLookup lookup = sys::LookUpFile(text, {home}, home);
          const sys::FileLookupReport report = sys::DescribeFileLookup(
              "file " + Quoted(sys::Printable(text).c_str()), lookup, "the script's folder");
          if (!report.problem.empty()) Report(line, report.problem);
          if (!report.note.empty()) Note(line, report.note);
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

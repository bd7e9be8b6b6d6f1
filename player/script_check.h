// What --check adds to the engine's own reports: only what the player alone knows. The
// engine reports, with their lines, every object it cannot make, value names no object has,
// parameters that do not fit, keys out of time order, resource names it cannot tell apart and
// modules that never play. The player adds the structure of the script it dispatches (root,
// settings, the order of its top-level elements), whether the files, textures and resources
// that values name exist (which values name what is declared with the values themselves), and
// whether render-target schedules name render targets, and whether a module that draws with
// the material earlier modules leave can run before any has set one. Files are looked up as
// playback looks them up (system/file_lookup.h); what that had to guess comes as a note, a line
// "line N: note: ...", which is no finding.
#pragma once

#include <set>
#include <string>
#include <vector>

class CDataProvider;
class CResourceManager;
class CTextureManager;
class CTimeline;
class TiXmlElement;

class CValue;

namespace vexil {

// Every text a string value can take: its constant, or the value of each of its keys. Empty
// for values of other types and for values the script did not bind.
std::set<std::string> TextsOf(CValue* value);

class ScriptChecker {
 public:
  // `scriptFolder` is where an absolute Windows path is looked for, as in playback.
  ScriptChecker(const CTimeline* timeline, const CResourceManager* resources,
                const CTextureManager* textures, const std::string& scriptFolder);

  // `root` is the script as dispatched; the timeline and managers hold what was built from it.
  void CheckScript(const TiXmlElement* root);

  const std::vector<std::string>& findings() const { return findings_; }

 private:
  void CheckSettings(const TiXmlElement* settings);
  void CheckTargets(const TiXmlElement* timeline);
  void CheckModuleTargets(const TiXmlElement* module);
  // The files, folders, textures and resources that `object`'s values name.
  void CheckReferences(CDataProvider* object);
  // A module drawn with the material earlier modules leave, when none has set one by then.
  void CheckMaterialOrder(const TiXmlElement* timeline);
  void CheckKeyOrder(const TiXmlElement* owner, const std::string& what);
  void Report(int line, const std::string& text);
  void Report(const TiXmlElement* element, const std::string& text);

  const CTimeline* timeline_;
  const CResourceManager* resources_;
  const CTextureManager* textures_;
  std::string scriptFolder_;
  std::vector<std::string> findings_;
};

}  // namespace vexil

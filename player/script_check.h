// What --check adds to the engine's own reports: only what the player alone knows. The
// engine reports, with their lines, every object it cannot make, value names no object has,
// parameters that do not fit, keys out of time order, resource names it cannot tell apart and
// modules that never play. The player adds the structure of the script it dispatches (root,
// settings, the order of its top-level elements), whether the files, textures and resources
// that values name exist (which values name what is declared with the values themselves), and
// whether render-target schedules name render targets, and whether a module that draws with
// the material earlier modules leave can run before any has set one. Files are looked up as
// playback looks them up (system/file_lookup.h); what that had to guess comes as a note, which
// is no finding.
#pragma once

#include <initializer_list>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "script/script_finding.h"

class CDataProvider;
class CResourceManager;
class CSyncContext;
class CTextureManager;
class CTimeline;
class TiXmlElement;

class CValue;

namespace vexil {

// Every text a string value can take: its constant, or the value of each of its keys. Empty
// for values of other types and for values the script did not bind.
std::set<std::string> TextsOf(CValue* value);

// A file a built demo reads, found as playback finds it.
struct ReferencedFile {
  std::string name;  // as the script (or the mesh that names it) writes it
  std::string path;  // where it was found; the name with '/' separators when it is missing
  bool found = false;
  int line = 0;  // of the value in the script; 0 for a mesh texture or a sync track
};

// Every file the demo built from a script reads, in a stable order without repeats: what the
// values of its modules and resources name as a file (pictures, meshes, music, scripts), the
// textures a .x mesh among them names, and the sync track files its parameters read (or the
// editor project they come from). The list --check works from, and what a bundle holds.
std::vector<ReferencedFile> ReferencedFiles(const CTimeline* timeline,
                                            const CResourceManager* resources,
                                            const CSyncContext* sync,
                                            const std::string& scriptFolder);

// "0:00", "2:02.5", "1:00:00": minutes and seconds, with the fraction of a second when there is
// one (to the millisecond).
std::string ClockText(double ms);

class ScriptChecker {
 public:
  // `scriptFolder` is where an absolute Windows path is looked for, as in playback.
  ScriptChecker(const CTimeline* timeline, const CResourceManager* resources,
                const CTextureManager* textures, const std::string& scriptFolder);

  // `root` is the script as dispatched; the timeline and managers hold what was built from it,
  // which is nothing when `built` is false (no display): then what is missing is not reported.
  void CheckScript(const TiXmlElement* root, bool built = true);

  const std::vector<CScriptFinding>& findings() const { return findings_; }

  // The line a check that found nothing prints: `name`, the modules, layers and resources built,
  // the span from the first start to the last end, the music's length, and the notes, e.g.
  // "demo.xml: 42 modules on 9 layers, 14 resources, 0:00–2:02.5, music 2:02.5 — no problems".
  std::string Summary(const std::string& name, int notes) const;

 private:
  void CheckSettings(const TiXmlElement* settings);
  // Attributes of `element` that are not in `known`: nothing reads them.
  void CheckAttributes(const TiXmlElement* element, std::initializer_list<const char*> known);
  // Modules on one layer of which one starts at the very time another ends (a note).
  void CheckSharedEnds();
  void CheckTargets(const TiXmlElement* timeline);
  void CheckModuleTargets(const TiXmlElement* module);
  // The files, folders, textures and resources that `object`'s values name.
  void CheckReferences(CDataProvider* object);
  // A module drawn with the material earlier modules leave, when none has set one by then.
  void CheckMaterialOrder(const TiXmlElement* timeline);
  void CheckKeyOrder(const TiXmlElement* owner, const std::string& what);
  // The length of the music the "fmod" modules play, in milliseconds; negative without music.
  double MusicLengthMs() const;
  void Report(int line, const std::string& text);
  void Note(int line, const std::string& text);
  void Report(const TiXmlElement* element, const std::string& text);

  const CTimeline* timeline_;
  const CResourceManager* resources_;
  const CTextureManager* textures_;
  std::string scriptFolder_;
  std::vector<CScriptFinding> findings_;
  std::set<std::pair<int, int>> musicAt_;  // where the script's "fmod" modules start
};

}  // namespace vexil

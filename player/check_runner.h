// Check mode (--check): the demo is built on the null device and everything playback would
// skip without a word is printed, in script order: what the engine reports while the script
// is read, what the libraries list could not load, and what only the player knows
// (script_check).
#pragma once

#include <string>
#include <vector>

#include "demo_parts.h"
#include "script/script_finding.h"

namespace vexil {

class CheckRunner {
 public:
  // Collects what `widgets` reports once the libraries are loaded: before that every type is
  // unknown, and the check says once that such an element comes too early instead.
  void Listen(CWidgetManager* widgets);
  void LibrariesLoaded() { libraries_loaded_ = true; }

  void Add(const CScriptFinding& finding) { findings_.push_back(finding); }
  std::vector<CScriptFinding>* findings() { return &findings_; }
  const std::vector<CScriptFinding>& findings() const { return findings_; }

  // Adds the player's own checks of the built demo (those that need a display only when
  // `display_open`) and prints every finding in script order, then, unless `quiet` or something
  // was found, one summary line of the demo at `script_path`. True when something other than a
  // note was found.
  bool Finish(TiXmlElement* root, DemoParts* demo, const std::string& script_path,
              const std::string& script_folder, bool display_open, bool quiet);

 private:
  bool libraries_loaded_ = false;
  std::vector<CScriptFinding> findings_;
};

}  // namespace vexil

// Check mode (--check): the demo is built on the null device and everything playback would
// skip without a word is printed, in script order: what the engine reports while the script
// is read, what the libraries list could not load, and what only the player knows
// (script_check).
#pragma once

#include <string>
#include <vector>

#include "demo_parts.h"

namespace vexil {

class CheckRunner {
 public:
  // Collects what `widgets` reports once the libraries are loaded: before that every type is
  // unknown, and the check says once that such an element comes too early instead.
  void Listen(CWidgetManager* widgets);
  void LibrariesLoaded() { libraries_loaded_ = true; }

  void Add(const std::string& finding) { findings_.push_back(finding); }
  std::vector<std::string>* findings() { return &findings_; }
  const std::vector<std::string>& findings() const { return findings_; }

  // Adds the player's own checks of the built demo and prints every finding in script order.
  // True when something other than a note was found.
  bool Finish(TiXmlElement* root, DemoParts* demo, const std::string& script_folder);

 private:
  bool libraries_loaded_ = false;
  std::vector<std::string> findings_;
};

}  // namespace vexil

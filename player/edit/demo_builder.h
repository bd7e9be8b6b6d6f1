// Builds a demo from its script against a device that already exists: what edit mode does on
// every save. Everything the build says (message boxes, stderr) is caught, so a build that
// failed can be told apart from a good one and its errors shown in the window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"
#include "demo_parts.h"
#include "player_settings.h"
#include "script/script_finding.h"

namespace vexil {

struct DemoBuild {
  std::unique_ptr<DemoParts> demo;
  // What went wrong: the script does not load, a file or device object failed. Each line as
  // the player or a library said it.
  std::vector<std::string> problems;
  // What the engine skipped without failing (an unknown type, a value no object has).
  std::vector<std::string> notes;
  // The settings as the script gives them now.
  PlayerSettings settings;
  bool ok() const { return demo != nullptr && problems.empty(); }
};

// Loads the script at `path` and builds its libraries, resources and timeline on `device`
// (of `width` x `height` pixels); libraries shipped with the demo are looked for in
// `script_folder`. The "settings" are read into the result, the display is left alone.
DemoBuild BuildDemo(const std::string& path, const std::string& script_folder, IDirect3D9* d3d,
                    IDirect3DDevice9* device, int width, int height);

}  // namespace vexil

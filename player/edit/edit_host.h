// What edit mode needs from the program that runs it: where the script is, the window and the
// settings it started with, and the demo slot. The program owns the device and the demo playing;
// edit mode builds the next demo beside it and asks the program to put it in its place.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "demo_parts.h"
#include "player_settings.h"

namespace vexil {

class EditHost {
 public:
  virtual ~EditHost() = default;
  // The demo playing now.
  virtual DemoParts& Demo() = 0;
  // Plays `next` from now on; the previous demo is freed (its music stops) and the device
  // starts from its default state, as for a new demo.
  virtual void ReplaceDemo(std::unique_ptr<DemoParts> next) = 0;
};

struct EditStart {
  std::string script_path;
  std::string script_folder;  // where plug-ins shipped with the demo are looked for
  void* window = nullptr;
  PlayerSettings settings;
  // What the first build said on stderr (shown in the window).
  std::vector<std::string> startup_problems;
  // Link to a sync-tracker editor at this address (--sync).
  bool sync = false;
  std::string sync_host;
  uint16_t sync_port = 0;
};

}  // namespace vexil

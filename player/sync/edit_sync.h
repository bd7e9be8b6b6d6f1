// Edit mode's side of the sync-tracker link: what the editor asks (seek to a row, pause,
// save) is done to the transport and the track files, and the transport's row goes back to
// the editor, so that the editor's cursor and the demo agree whichever side moved.
#pragma once

#include <string>
#include <vector>

#include "sync/sync_editor_link.h"

class CSyncContext;

namespace vexil {

class Transport;

class EditSync {
 public:
  EditSync(const std::string& host, uint16_t port) : link_(host, port) {}

  // The demo now playing (again after every reload): its tracks are asked for anew.
  void UseDemo(CSyncContext* sync, const std::string& script_folder);

  struct Outcome {
    bool jumped = false;         // the time moved: restart the modules (music included)
    bool pause_changed = false;  // the transport paused or resumed
  };
  // Once a frame: talks with the editor and applies its requests to `transport`.
  Outcome Update(double wall_ms, double clock_ms, Transport* transport);

  std::string Status() const { return link_.Status(); }
  std::vector<std::string> TakeMessages() { return link_.TakeMessages(); }

 private:
  void Save();

  SyncEditorLink link_;
  CSyncContext* sync_ = nullptr;
  std::string script_folder_;
  bool was_paused_ = false;
};

}  // namespace vexil

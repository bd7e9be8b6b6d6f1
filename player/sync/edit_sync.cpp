// Carrying out a sync-tracker editor's requests in edit mode.
#include "sync/edit_sync.h"

#include "edit/transport.h"
#include "params/synccontext.h"
#include "sync/track_file_writer.h"

namespace vexil {

void EditSync::UseDemo(CSyncContext* sync, const std::string& script_folder) {
  sync_ = sync;
  script_folder_ = script_folder;
  link_.UseContext(sync);
}

EditSync::Outcome EditSync::Update(double wall_ms, double clock_ms, Transport* transport) {
  Outcome outcome;
  SyncEditorRequests requests;
  link_.Update(wall_ms, &requests);
  if (requests.seek && sync_ && sync_->HasBpm()) {
    transport->SeekTo(sync_->MsAtRow(requests.row), clock_ms);
    outcome.jumped = true;
  }
  if (requests.pause_changed && requests.pause != transport->Paused()) {
    if (requests.pause) {
      transport->Pause(clock_ms);
    } else {
      transport->Resume(clock_ms);
    }
    outcome.pause_changed = true;
  }
  if (requests.save) Save();
  // A pause from either side is told as the row the demo stands still on.
  const bool paused = transport->Paused();
  link_.FollowTime(transport->Time(clock_ms), paused != was_paused_);
  was_paused_ = paused;
  return outcome;
}

void EditSync::Save() {
  if (!sync_) return;
  std::vector<std::string> written;
  std::string error;
  if (SaveSyncTracks(*sync_, script_folder_, &written, &error)) {
    link_.Say("sync: saved " + std::to_string(written.size()) + " track file" +
              (written.size() == 1 ? "" : "s"));
  } else {
    link_.Say("sync: the tracks could not be saved: " + error);
  }
}

}  // namespace vexil

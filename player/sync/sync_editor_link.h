// The demo's side of a live link to a sync-tracker editor: connects (and reconnects about once
// a second) without blocking, greets, asks for every track the demo uses, applies the keys the
// editor sets and deletes, passes its seeks, pauses and saves on, and tells it the row the demo
// plays. Everything the editor sends is checked; anything malformed drops the link with a
// message, and the demo plays on from its track files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sync/sync_protocol.h"
#include "system/tcp_client.h"

class CSyncContext;

namespace vexil {

// What the editor asked of the transport in one update.
struct SyncEditorRequests {
  bool seek = false;
  int32_t row = 0;  // when seek: the row to play from
  bool pause_changed = false;
  bool pause = false;
  bool save = false;  // SAVE_TRACKS: write the track files
};

class SyncEditorLink {
 public:
  static constexpr double kRetryMs = 1000.0;
  static constexpr double kGreetingTimeoutMs = 5000.0;
  // Bytes read in one update, so a busy editor cannot hold a frame up.
  static constexpr size_t kReadPerUpdate = 64 * 1024;

  SyncEditorLink(std::string host, uint16_t port);

  // The demo whose tracks the editor edits; a new one (after a reload) has its tracks asked for
  // again. Null: none (commands for tracks are then out of range).
  void UseContext(CSyncContext* sync);
  // Once a frame, at wall-clock milliseconds `now_ms`.
  void Update(double now_ms, SyncEditorRequests* requests);
  // Sends SET_ROW when the whole row of `demo_ms` differs from the one the editor last heard,
  // or whenever `always`.
  void FollowTime(double demo_ms, bool always = false);

  bool Connected() const { return state_ == State::kReady; }
  // "sync: connected to HOST:PORT" or "sync: waiting for HOST:PORT".
  std::string Status() const;
  // Things to say in the window and on stderr since the last call (drops, saves).
  std::vector<std::string> TakeMessages();
  void Say(const std::string& message) { messages_.push_back(message); }

 private:
  enum class State { kWaiting, kConnecting, kGreeting, kReady };

  void Drop(const std::string& reason);
  void RequestTracks();
  void Apply(const SyncCommand& command, SyncEditorRequests* requests);
  void Send(const std::string& bytes);

  std::string host_;
  uint16_t port_;
  sys::TcpClient client_;
  State state_ = State::kWaiting;
  double last_attempt_ms_ = -1e300;
  double greeting_since_ms_ = 0.0;
  std::string received_;
  CSyncContext* sync_ = nullptr;
  int32_t requested_ = 0;  // tracks asked for: editor index i is the context's track i
  int64_t last_row_sent_ = INT64_MIN;
  std::vector<std::string> messages_;
};

// Splits "HOST:PORT" (or "[v6]:PORT"); false for anything else or a port outside 1..65535.
bool ParseSyncAddress(const std::string& text, std::string* host, uint16_t* port);

}  // namespace vexil

// The live link to a sync-tracker editor.
#include "sync/sync_editor_link.h"

#include <cmath>
#include <cstdlib>

#include "params/synccontext.h"

namespace vexil {

SyncEditorLink::SyncEditorLink(std::string host, uint16_t port)
    : host_(std::move(host)), port_(port) {}

std::string SyncEditorLink::Status() const {
  const std::string address = host_ + ":" + std::to_string(port_);
  return (Connected() ? "sync: connected to " : "sync: waiting for ") + address;
}

std::vector<std::string> SyncEditorLink::TakeMessages() {
  std::vector<std::string> taken;
  taken.swap(messages_);
  return taken;
}

void SyncEditorLink::Drop(const std::string& reason) {
  if (state_ == State::kReady || state_ == State::kGreeting) {
    messages_.push_back("sync: the link to " + host_ + ":" + std::to_string(port_) +
                        " is dropped: " + reason);
  }
  client_.Close();
  received_.clear();
  state_ = State::kWaiting;
  requested_ = 0;
  last_row_sent_ = INT64_MIN;
}

void SyncEditorLink::Send(const std::string& bytes) {
  std::string error;
  if (!client_.Send(bytes, &error)) Drop(error);
}

void SyncEditorLink::RequestTracks() {
  requested_ = 0;
  if (!sync_) return;
  // The editor sends a requested track's keys whole: what the files gave is replaced.
  for (int32_t i = 0; i < sync_->GetTrackCount() && state_ == State::kReady; ++i) {
    sync_->GetTrack(i).Clear();
    Send(EncodeGetTrack(sync_->GetTrackName(i)));
    ++requested_;
  }
}

void SyncEditorLink::UseContext(CSyncContext* sync) {
  sync_ = sync;
  last_row_sent_ = INT64_MIN;
  if (state_ == State::kReady) RequestTracks();
}

void SyncEditorLink::Update(double now_ms, SyncEditorRequests* requests) {
  std::string error;
  if (state_ == State::kWaiting) {
    if (now_ms - last_attempt_ms_ < kRetryMs) return;
    last_attempt_ms_ = now_ms;
    if (!client_.Connect(host_, port_, &error)) return;
    state_ = State::kConnecting;
  }
  if (state_ == State::kConnecting) {
    const sys::TcpClient::State tcp = client_.Poll(&error);
    if (tcp == sys::TcpClient::State::kClosed) {
      state_ = State::kWaiting;
      return;
    }
    if (tcp != sys::TcpClient::State::kConnected) return;
    state_ = State::kGreeting;
    greeting_since_ms_ = now_ms;
    Send(kSyncClientGreeting);
    if (state_ != State::kGreeting) return;
  }
  if (!client_.Receive(&received_, kReadPerUpdate, &error)) {
    Drop(error);
    return;
  }
  if (!client_.Flush(&error)) {
    Drop(error);
    return;
  }
  if (state_ == State::kGreeting) {
    if (received_.size() < kSyncServerGreetingSize) {
      if (received_.compare(0, received_.size(), kSyncServerGreeting, received_.size()) != 0) {
        Drop("the peer is no sync-tracker editor (wrong greeting)");
      } else if (now_ms - greeting_since_ms_ > kGreetingTimeoutMs) {
        Drop("the editor did not answer the greeting");
      }
      return;
    }
    if (received_.compare(0, kSyncServerGreetingSize, kSyncServerGreeting) != 0) {
      Drop("the peer is no sync-tracker editor (wrong greeting)");
      return;
    }
    received_.erase(0, kSyncServerGreetingSize);
    state_ = State::kReady;
    messages_.push_back(Status());
    RequestTracks();
  }
  size_t at = 0;
  while (state_ == State::kReady && at < received_.size()) {
    SyncCommand command;
    size_t used = 0;
    const std::string rest = received_.substr(at, 16);
    const SyncDecode result = DecodeSyncCommand(rest, &used, &command, &error);
    if (result == SyncDecode::kNeedMore) break;
    if (result == SyncDecode::kMalformed) {
      Drop("the editor sent " + error);
      return;
    }
    at += used;
    Apply(command, requests);
  }
  if (state_ == State::kReady) received_.erase(0, at);
}

void SyncEditorLink::Apply(const SyncCommand& command, SyncEditorRequests* requests) {
  switch (command.type) {
    case SyncCommandType::kSetKey:
    case SyncCommandType::kDeleteKey: {
      if (!sync_ || command.track >= static_cast<uint32_t>(requested_)) {
        Drop("the editor named track " + std::to_string(command.track) + " of " +
             std::to_string(requested_));
        return;
      }
      CSyncTrack& track = sync_->GetTrack(static_cast<int32_t>(command.track));
      if (command.type == SyncCommandType::kSetKey) {
        if (track.GetKeys().size() >= static_cast<size_t>(kMaxSyncTrackKeys)) {
          Drop("a track has more keys than the limit of " + std::to_string(kMaxSyncTrackKeys));
          return;
        }
        track.SetKey(command.key);
      } else {
        track.DeleteKey(command.key.row);
      }
      return;
    }
    case SyncCommandType::kSetRow:
      requests->seek = true;
      requests->row = command.row;
      // The editor knows this row already: do not echo it.
      last_row_sent_ = command.row;
      return;
    case SyncCommandType::kPause:
      requests->pause_changed = true;
      requests->pause = command.pause;
      return;
    case SyncCommandType::kSaveTracks:
      requests->save = true;
      return;
    case SyncCommandType::kGetTrack:
      return;
  }
}

void SyncEditorLink::FollowTime(double demo_ms, bool always) {
  if (state_ != State::kReady || !sync_ || !sync_->HasBpm()) return;
  const double row = std::floor(sync_->RowAt(demo_ms));
  if (!(row >= 0.0) || row > INT32_MAX) return;
  const auto whole = static_cast<int64_t>(row);
  if (whole == last_row_sent_ && !always) return;
  last_row_sent_ = whole;
  Send(EncodeSetRow(static_cast<int32_t>(whole)));
}

bool ParseSyncAddress(const std::string& text, std::string* host, uint16_t* port) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) return false;
  std::string name = text.substr(0, colon);
  if (name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
  const std::string digits = text.substr(colon + 1);
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  const long number = std::strtol(digits.c_str(), nullptr, 10);
  if (number < 1 || number > 65535 || name.empty()) return false;
  *host = name;
  *port = static_cast<uint16_t>(number);
  return true;
}

}  // namespace vexil

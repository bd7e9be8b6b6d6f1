// The sync-tracker editor protocol as bytes: the greetings, what the demo sends (GET_TRACK,
// SET_ROW) and the commands the editor sends, decoded with every field checked. Integers are
// big-endian on the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "params/synctrack.h"

namespace vexil {

constexpr char kSyncClientGreeting[] = "hello, synctracker!";  // 19 bytes
constexpr char kSyncServerGreeting[] = "hello, demo!";         // 12 bytes
constexpr size_t kSyncClientGreetingSize = sizeof kSyncClientGreeting - 1;
constexpr size_t kSyncServerGreetingSize = sizeof kSyncServerGreeting - 1;

enum class SyncCommandType : uint8_t {
  kSetKey = 0,
  kDeleteKey = 1,
  kGetTrack = 2,
  kSetRow = 3,
  kPause = 4,
  kSaveTracks = 5,
};

struct SyncCommand {
  SyncCommandType type = SyncCommandType::kSetRow;
  uint32_t track = 0;  // SET_KEY, DELETE_KEY: the index in the order tracks were requested
  SyncKey key;         // SET_KEY: row, value, type; DELETE_KEY: row
  int32_t row = 0;     // SET_ROW
  bool pause = false;  // PAUSE (any byte but 0 pauses)
};

enum class SyncDecode { kCommand, kNeedMore, kMalformed };

// Decodes the first command in `bytes`. kCommand: `consumed` bytes make `command`; kNeedMore:
// the command is not all there yet; kMalformed: an unknown command byte, a row beyond 2^31-1,
// a value that is not a finite number or an unknown interpolation type (reason in `error`).
SyncDecode DecodeSyncCommand(const std::string& bytes, size_t* consumed, SyncCommand* command,
                             std::string* error);

// GET_TRACK: byte 2, the name's 32-bit length, the name.
std::string EncodeGetTrack(const std::string& name);
// SET_ROW: byte 3, the 32-bit row.
std::string EncodeSetRow(int32_t row);

}  // namespace vexil

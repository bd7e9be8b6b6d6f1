// Encoding and checked decoding of the sync-tracker editor protocol.
#include "sync/sync_protocol.h"

#include <cmath>
#include <cstring>

namespace vexil {

namespace {

void PutBig32(std::string* out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out->push_back(static_cast<char>((v >> shift) & 0xFF));
}

uint32_t GetBig32(const std::string& bytes, size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

bool RowFits(uint32_t row, std::string* error) {
  if (row <= static_cast<uint32_t>(INT32_MAX)) return true;
  *error = "a row beyond 2147483647";
  return false;
}

}  // namespace

SyncDecode DecodeSyncCommand(const std::string& bytes, size_t* consumed, SyncCommand* command,
                             std::string* error) {
  if (bytes.empty()) return SyncDecode::kNeedMore;
  const auto type = static_cast<uint8_t>(bytes[0]);
  size_t size = 0;
  switch (type) {
    case 0:
      size = 1 + 4 + 4 + 4 + 1;
      break;  // SET_KEY
    case 1:
      size = 1 + 4 + 4;
      break;  // DELETE_KEY
    case 3:
      size = 1 + 4;
      break;  // SET_ROW
    case 4:
      size = 1 + 1;
      break;  // PAUSE
    case 5:
      size = 1;
      break;  // SAVE_TRACKS
    default:
      *error = "an unknown command byte " + std::to_string(type);
      return SyncDecode::kMalformed;
  }
  if (bytes.size() < size) return SyncDecode::kNeedMore;
  *command = SyncCommand();
  command->type = static_cast<SyncCommandType>(type);
  switch (command->type) {
    case SyncCommandType::kSetKey: {
      command->track = GetBig32(bytes, 1);
      const uint32_t row = GetBig32(bytes, 5);
      if (!RowFits(row, error)) return SyncDecode::kMalformed;
      const uint32_t bits = GetBig32(bytes, 9);
      std::memcpy(&command->key.value, &bits, 4);
      command->key.row = static_cast<int32_t>(row);
      command->key.type = static_cast<uint8_t>(bytes[13]);
      if (!std::isfinite(command->key.value)) {
        *error = "a key value that is not a finite number";
        return SyncDecode::kMalformed;
      }
      if (command->key.type > 3) {
        *error = "an unknown interpolation type " + std::to_string(command->key.type);
        return SyncDecode::kMalformed;
      }
      break;
    }
    case SyncCommandType::kDeleteKey: {
      command->track = GetBig32(bytes, 1);
      const uint32_t row = GetBig32(bytes, 5);
      if (!RowFits(row, error)) return SyncDecode::kMalformed;
      command->key.row = static_cast<int32_t>(row);
      break;
    }
    case SyncCommandType::kSetRow: {
      const uint32_t row = GetBig32(bytes, 1);
      if (!RowFits(row, error)) return SyncDecode::kMalformed;
      command->row = static_cast<int32_t>(row);
      break;
    }
    case SyncCommandType::kPause:
      command->pause = bytes[1] != 0;
      break;
    default:
      break;
  }
  *consumed = size;
  return SyncDecode::kCommand;
}

std::string EncodeGetTrack(const std::string& name) {
  std::string out(1, static_cast<char>(SyncCommandType::kGetTrack));
  PutBig32(&out, static_cast<uint32_t>(name.size()));
  return out + name;
}

std::string EncodeSetRow(int32_t row) {
  std::string out(1, static_cast<char>(SyncCommandType::kSetRow));
  PutBig32(&out, static_cast<uint32_t>(row));
  return out;
}

}  // namespace vexil

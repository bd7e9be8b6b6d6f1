// The editor protocol's bytes: what the demo sends and the checked decoding of what it gets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "editor_double.h"
#include "sync/sync_protocol.h"

namespace vexil {
namespace {

SyncDecode Decode(const std::string& bytes, SyncCommand* command, size_t* used,
                  std::string* error) {
  return DecodeSyncCommand(bytes, used, command, error);
}

TEST(SyncProtocol, EncodesWhatTheDemoSends) {
  EXPECT_EQ(std::string("\x02\x00\x00\x00\x05"
                        "cam.x",
                        10),
            EncodeGetTrack("cam.x"));
  EXPECT_EQ(std::string("\x03\x00\x01\x02\x03", 5), EncodeSetRow(0x010203));
  EXPECT_EQ(19u, kSyncClientGreetingSize);
  EXPECT_EQ(12u, kSyncServerGreetingSize);
}

TEST(SyncProtocol, DecodesEveryCommandOfTheEditor) {
  SyncCommand command;
  size_t used = 0;
  std::string error;
  ASSERT_EQ(SyncDecode::kCommand,
            Decode(EditorDouble::SetKey(2, 300, -1.5f, 3) + "rest", &command, &used, &error));
  EXPECT_EQ(14u, used);
  EXPECT_EQ(SyncCommandType::kSetKey, command.type);
  EXPECT_EQ(2u, command.track);
  EXPECT_EQ(300, command.key.row);
  EXPECT_EQ(-1.5f, command.key.value);
  EXPECT_EQ(3, command.key.type);

  ASSERT_EQ(SyncDecode::kCommand, Decode(EditorDouble::DeleteKey(1, 7), &command, &used, &error));
  EXPECT_EQ(SyncCommandType::kDeleteKey, command.type);
  EXPECT_EQ(7, command.key.row);
  ASSERT_EQ(SyncDecode::kCommand, Decode(EditorDouble::SetRow(99), &command, &used, &error));
  EXPECT_EQ(99, command.row);
  ASSERT_EQ(SyncDecode::kCommand, Decode(EditorDouble::Pause(true), &command, &used, &error));
  EXPECT_TRUE(command.pause);
  ASSERT_EQ(SyncDecode::kCommand, Decode(EditorDouble::Pause(false), &command, &used, &error));
  EXPECT_FALSE(command.pause);
  ASSERT_EQ(SyncDecode::kCommand, Decode(EditorDouble::SaveTracks(), &command, &used, &error));
  EXPECT_EQ(1u, used);
}

TEST(SyncProtocol, WaitsForCommandsCutShort) {
  const std::string key = EditorDouble::SetKey(0, 1, 2.0f, 1);
  SyncCommand command;
  size_t used = 0;
  std::string error;
  for (size_t n = 0; n < key.size(); ++n) {
    EXPECT_EQ(SyncDecode::kNeedMore, Decode(key.substr(0, n), &command, &used, &error)) << n;
  }
}

TEST(SyncProtocol, RefusesMalformedCommands) {
  SyncCommand command;
  size_t used = 0;
  std::string error;
  EXPECT_EQ(SyncDecode::kMalformed, Decode("\x09", &command, &used, &error));
  EXPECT_NE(std::string::npos, error.find("unknown command byte 9"));
  EXPECT_EQ(SyncDecode::kMalformed, Decode(std::string(1, '\2'), &command, &used, &error))
      << "GET_TRACK is the demo's to send";
  EXPECT_EQ(SyncDecode::kMalformed,
            Decode(EditorDouble::SetKey(0, 1, std::nanf(""), 0), &command, &used, &error));
  EXPECT_EQ(SyncDecode::kMalformed,
            Decode(EditorDouble::SetKey(0, 1, std::numeric_limits<float>::infinity(), 0), &command,
                   &used, &error));
  EXPECT_EQ(SyncDecode::kMalformed,
            Decode(EditorDouble::SetKey(0, 1, 1.0f, 4), &command, &used, &error));
  EXPECT_EQ(SyncDecode::kMalformed,
            Decode(EditorDouble::SetRow(0x80000000u), &command, &used, &error));
  EXPECT_EQ(SyncDecode::kMalformed,
            Decode(EditorDouble::DeleteKey(0, 0xFFFFFFFFu), &command, &used, &error));
}

}  // namespace
}  // namespace vexil

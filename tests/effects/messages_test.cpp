// The effect library's fixed messages: Windows-1252 texts shown as UTF-8, with a copy on
// stderr naming the caption.
#include <gtest/gtest.h>

#include <string>

#include "effect_messages.h"
#include "system/message_box.h"

namespace {

TEST(EffectMessagesTest, Windows1252BecomesUtf8) {
  EXPECT_EQ("Fel vid l\xC3\xA5sning", effects::Cp1252ToUtf8(effects::kMsgLockFailed));
  EXPECT_EQ("\xE2\x82\xAC \xC3\xBF \xE2\x80\x9C", effects::Cp1252ToUtf8("\x80 \xFF \x93"));
  EXPECT_EQ("\xEF\xBF\xBD", effects::Cp1252ToUtf8("\x81")) << "a byte without a character";
  EXPECT_EQ("", effects::Cp1252ToUtf8(nullptr));
}

TEST(EffectMessagesTest, MessagesAreCopiedToStderrWithTheirCaption) {
  ::testing::internal::CaptureStderr();
  effects::ShowEffectMessage(effects::kMsgLockFailed, effects::kCaptionVexil, MB_OK);
  EXPECT_EQ("VEXIL: Fel vid l\xC3\xA5sning\n", ::testing::internal::GetCapturedStderr());
}

}  // namespace

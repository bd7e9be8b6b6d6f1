// A test whose sound runs on the offline driver: FSOUND initialised without a device or a
// thread (music is mixed only when the test asks for frames), closed and reset after each test.
#pragma once

#include <gtest/gtest.h>

#include "fsound/fsound.h"

namespace vexil::test {

class OfflineSoundTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND_NONREALTIME));
    ASSERT_TRUE(FSOUND_Init(44100, 32, FSOUND_INIT_GLOBALFOCUS));
  }
  void TearDown() override {
    FSOUND_Close();
    FSOUND_SetOutput(-1);
  }
};

}  // namespace vexil::test

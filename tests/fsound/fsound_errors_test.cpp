// Error codes, message texts and argument checking of the FSOUND_ calls, including calls made
// in the wrong state or with handles that are no longer valid.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>

#include "fsound/fmod_errors.h"
#include "fsound/fsound.h"
#include "support/offline_sound.h"
#include "test_audio.h"

namespace {

// The music module opens files with these modes.
constexpr unsigned kFileMode = 0x20132;
constexpr unsigned kMemoryMode = 0x28132;

class OfflineErrors : public vexil::test::OfflineSoundTest {};

TEST(FsoundVersion, IsAtLeastWhatTheMusicModuleNeeds) {
  EXPECT_GE(FSOUND_GetVersion(), 3.71f);
}

TEST(FsoundErrors, CodesKeepTheirNumbers) {
  EXPECT_EQ(0, FMOD_ERR_NONE);
  EXPECT_EQ(2, FMOD_ERR_UNINITIALIZED);
  EXPECT_EQ(3, FMOD_ERR_INIT);
  EXPECT_EQ(9, FMOD_ERR_FILE_NOTFOUND);
  EXPECT_EQ(10, FMOD_ERR_FILE_FORMAT);
  EXPECT_EQ(14, FMOD_ERR_INVALID_PARAM);
  EXPECT_EQ(18, FMOD_ERR_MEDIAPLAYER);
  EXPECT_EQ(0x20132u,
            FSOUND_LOOP_NORMAL | FSOUND_16BITS | FSOUND_MONO | FSOUND_SIGNED | FSOUND_MPEGACCURATE);
  EXPECT_EQ(0x28132u, kFileMode | FSOUND_LOADMEMORY);
}

TEST(FsoundErrors, MessageTextsAreExact) {
  EXPECT_STREQ("No errors", FMOD_ErrorString(0));
  EXPECT_STREQ("Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
               FMOD_ErrorString(1));
  EXPECT_STREQ("Error initializing output device.", FMOD_ErrorString(3));
  EXPECT_STREQ("File not found", FMOD_ErrorString(9));
  EXPECT_STREQ("Not enough memory ", FMOD_ErrorString(12)) << "the trailing blank is part of it";
  EXPECT_STREQ("Required Mediaplayer codec is not installed", FMOD_ErrorString(18));
  EXPECT_STREQ("Unknown error", FMOD_ErrorString(19));
  EXPECT_STREQ("Unknown error", FMOD_ErrorString(-1));
}

TEST(FsoundErrors, CallsBeforeInitReportUninitialized) {
  EXPECT_EQ(nullptr, FSOUND_Stream_Open("whatever.ogg", kFileMode, 0, 0));
  EXPECT_EQ(FMOD_ERR_UNINITIALIZED, FSOUND_GetError());
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  int16_t out[4];
  EXPECT_EQ(0, VexilSound_RenderOffline(out, 2));
  EXPECT_EQ(FMOD_ERR_UNINITIALIZED, FSOUND_GetError());
}

TEST(FsoundErrors, InitRejectsBadArguments) {
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND_NONREALTIME));
  EXPECT_FALSE(FSOUND_Init(0, 32, 0));
  EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
  EXPECT_FALSE(FSOUND_Init(44100, 0, 0));
  EXPECT_FALSE(FSOUND_SetOutput(99));
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  EXPECT_TRUE(FSOUND_Init(44100, 32, 0)) << "a second init keeps the running system";
  EXPECT_FALSE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
  EXPECT_EQ(FMOD_ERR_BUSY, FSOUND_GetError());
  EXPECT_EQ(44100, FSOUND_GetOutputRate());
  EXPECT_EQ(32, FSOUND_GetMaxChannels());
  FSOUND_Close();
  FSOUND_SetOutput(-1);
}

TEST_F(OfflineErrors, MissingFileIsFileNotFound) {
  const std::string path = testing::TempDir() + "/no-such-music.ogg";
  EXPECT_EQ(nullptr, FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0));
  EXPECT_EQ(FMOD_ERR_FILE_NOTFOUND, FSOUND_GetError());
  EXPECT_EQ(nullptr, FSOUND_Stream_Open(testing::TempDir().c_str(), kFileMode, 0, 0))
      << "a folder is no music file";
  EXPECT_EQ(FMOD_ERR_FILE_BAD, FSOUND_GetError());
}

TEST_F(OfflineErrors, BytesThatAreNoAudioAreUnknownFormat) {
  const std::string junk(5000, 'x');
  EXPECT_EQ(nullptr,
            FSOUND_Stream_Open(junk.data(), kMemoryMode, 0, static_cast<int>(junk.size())));
  EXPECT_EQ(FMOD_ERR_FILE_FORMAT, FSOUND_GetError());
}

TEST_F(OfflineErrors, BadOpenArgumentsAreInvalidParam) {
  const std::string junk(100, 'x');
  EXPECT_EQ(nullptr, FSOUND_Stream_Open(nullptr, kFileMode, 0, 0));
  EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
  EXPECT_EQ(nullptr, FSOUND_Stream_Open(junk.data(), kMemoryMode, 0, 0)) << "no length";
  EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
  EXPECT_EQ(nullptr, FSOUND_Stream_Open(junk.data(), kMemoryMode, 100, 100)) << "offset past end";
  EXPECT_EQ(nullptr, FSOUND_Stream_Open(junk.data(), kMemoryMode, -1, 100));
}

TEST_F(OfflineErrors, ClosedAndForgedHandlesFailCleanly) {
  const auto audio = fsound_test::MakeRamp(44100, 2, 4410);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "h.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  EXPECT_TRUE(FSOUND_Stream_Close(stream));
  EXPECT_FALSE(FSOUND_Stream_Close(stream)) << "closing twice";
  EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
  EXPECT_EQ(-1, FSOUND_Stream_Play(0, stream));
  EXPECT_FALSE(FSOUND_Stream_SetTime(stream, 10));
  EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
  EXPECT_FALSE(FSOUND_Stream_Stop(reinterpret_cast<FSOUND_STREAM*>(&stream)));
}

TEST_F(OfflineErrors, StreamCallsAfterCloseOfTheSystemFailCleanly) {
  const auto audio = fsound_test::MakeRamp(44100, 2, 4410);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "c.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  ASSERT_EQ(0, FSOUND_Stream_Play(0, stream));
  FSOUND_Close();  // closes every stream, as the original library did
  EXPECT_FALSE(FSOUND_Stream_Stop(stream));
  EXPECT_EQ(FMOD_ERR_UNINITIALIZED, FSOUND_GetError());
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  EXPECT_FALSE(FSOUND_Stream_Close(stream)) << "old handles stay invalid after a new init";
}

TEST_F(OfflineErrors, ChannelArgumentsAreChecked) {
  const auto audio = fsound_test::MakeRamp(44100, 2, 4410);
  const auto path = fsound_test::WriteAudioFile(audio, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "ch.wav");
  FSOUND_STREAM* stream = FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0);
  ASSERT_NE(nullptr, stream);
  EXPECT_EQ(-1, FSOUND_Stream_Play(32, stream));
  EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
  EXPECT_EQ(0, FSOUND_Stream_Play(FSOUND_FREE, stream));
  EXPECT_FALSE(FSOUND_SetVolume(-7, 100));
  EXPECT_TRUE(FSOUND_SetVolume(FSOUND_ALL, 100));
  EXPECT_EQ(100, FSOUND_GetVolume(0));
  EXPECT_FALSE(FSOUND_Stream_SetTime(stream, -1));
  EXPECT_EQ(FMOD_ERR_INVALID_PARAM, FSOUND_GetError());
}

}  // namespace

// WAV writing for captures: whole-buffer and streaming writes read back bit for bit, a file cut
// short mid-capture stays readable, and unwritable paths are reported.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <string>

#include "fsound/fsound.h"
#include "test_audio.h"

namespace {

TEST(WavWriter, WholeBufferReadsBackExactly) {
  const auto audio = fsound_test::MakeRamp(44100, 2, 3000);
  const std::string path = testing::TempDir() + "/whole.wav";
  ASSERT_TRUE(VexilSound_WriteWav(path.c_str(), audio.samples.data(), audio.frames()))
      << VexilSound_WavError();
  const auto back = fsound_test::DecodeFile(path);
  EXPECT_EQ(44100, back.rate);
  EXPECT_EQ(2, back.channels);
  EXPECT_EQ(audio.samples, back.samples);
}

TEST(WavWriter, StreamingWriterIsValidAfterEveryWrite) {
  const auto audio = fsound_test::MakeRamp(44100, 2, 3000);
  const std::string path = testing::TempDir() + "/streamed.wav";
  VexilWavWriter* writer = VexilSound_WavOpen(path.c_str(), 44100);
  ASSERT_NE(nullptr, writer) << VexilSound_WavError();
  ASSERT_TRUE(VexilSound_WavWrite(writer, audio.samples.data(), 1000));
  ASSERT_TRUE(VexilSound_WavWrite(writer, audio.samples.data() + 2000, 735));
  ASSERT_TRUE(VexilSound_WavWrite(writer, nullptr, 0));
  // Not closed yet, as after a crash: the header already counts what was written.
  EXPECT_EQ(1735, fsound_test::DecodeFile(path).frames());
  ASSERT_TRUE(VexilSound_WavClose(writer));
  const auto back = fsound_test::DecodeFile(path);
  EXPECT_EQ(std::vector<int16_t>(audio.samples.begin(), audio.samples.begin() + 3470),
            back.samples);
}

TEST(WavWriter, UnwritablePathIsReported) {
  const std::string path = testing::TempDir() + "/no/such/folder/out.wav";
  EXPECT_EQ(nullptr, VexilSound_WavOpen(path.c_str(), 44100));
  EXPECT_NE(std::string(), VexilSound_WavError());
  const int16_t samples[2] = {1, 2};
  EXPECT_FALSE(VexilSound_WriteWav(path.c_str(), samples, 1));
  EXPECT_FALSE(VexilSound_WavWrite(nullptr, samples, 1));
}

}  // namespace

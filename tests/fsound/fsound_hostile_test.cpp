// Music files as an attacker would make them: WAV headers claiming absurd sample rates or
// channel counts (from a file and from memory alike), and paths that are not files. Each is
// refused when the stream opens; none reaches the resampler. The highest accepted rate plays.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fsound/fsound.h"
#include "hostile_files.h"
#include "support/offline_sound.h"
#include "support/scratch_dir.h"
#include "test_audio.h"

namespace {

constexpr unsigned kFileMode = 0x20132;
constexpr unsigned kMemoryMode = 0x28132;

using hostile::Wav;

class HostileMusic : public vexil::test::OfflineSoundTest {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_.File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  vexil::test::ScratchDir dir_;
};

TEST_F(HostileMusic, HeadersOutsideTheLimitsAreRefusedFromFileAndMemory) {
  struct Case {
    const char* name;
    std::string wav;
  };
  const std::vector<Case> cases = {
      {"5 MHz", Wav(5000000, 2, 4096)},    {"384001 Hz", Wav(384001, 2, 4096)},
      {"4 GHz", Wav(0xfffffff0u, 1, 64)},  {"999 Hz", Wav(999, 1, 64)},
      {"33 channels", Wav(44100, 33, 64)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(nullptr, FSOUND_Stream_Open(Write("music.wav", c.wav).c_str(), kFileMode, 0, 0));
    EXPECT_NE(FMOD_ERR_NONE, FSOUND_GetError());
    EXPECT_EQ(nullptr,
              FSOUND_Stream_Open(c.wav.data(), kMemoryMode, 0, static_cast<int>(c.wav.size())));
  }
}

TEST_F(HostileMusic, TheHighestAcceptedRatePlaysThroughTheResampler) {
  const std::string wav = Wav(384000, 2, 20000);
  FSOUND_STREAM* stream =
      FSOUND_Stream_Open(wav.data(), kMemoryMode, 0, static_cast<int>(wav.size()));
  ASSERT_NE(nullptr, stream);
  ASSERT_TRUE(FSOUND_Stream_Play(0, stream) >= 0);
  const std::vector<int16_t> out = fsound_test::RenderOffline(44100);
  EXPECT_EQ(44100u * 2, out.size());
  FSOUND_Stream_Close(stream);
}

TEST_F(HostileMusic, PathsThatAreNotFilesAreRefusedAtOnce) {
  const std::string fifo = dir_.File("pipe.wav");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  for (const std::string& path :
       {std::string("/dev/zero"), std::string("/dev/urandom"), fifo, dir_.path()}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(nullptr, FSOUND_Stream_Open(path.c_str(), kFileMode, 0, 0));
    EXPECT_EQ(FMOD_ERR_FILE_BAD, FSOUND_GetError());
  }
}

}  // namespace

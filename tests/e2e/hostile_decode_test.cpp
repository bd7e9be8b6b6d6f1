// Pictures that stall a decoder or lie about their data, used as a demo's textures: each run
// ends in a message naming the file, within the decode budget, and a stop signal during the
// loading ends the player at once with 128 + the signal. Every run is bounded in time, memory
// and disk by the harness.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "../d3dx9/stalling_pictures.h"
#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

constexpr vexil::test::RunLimits kLimits{60, 3 << 10, 64};

// A valid 2 x 2 uncompressed TGA: the slow decode below is no fault of the file's.
std::string SmallTga() {
  std::string tga(18, '\0');
  tga[2] = 2, tga[12] = 2, tga[14] = 2, tga[16] = 24;
  return tga + std::string(12, '\x40');
}

class HostileDecode : public PlayerTest {
 protected:
  // A --check run's script with one texture per file.
  std::vector<std::string> CheckTextures(const std::vector<std::string>& files) {
    std::string resources;
    for (size_t i = 0; i < files.size(); ++i)
      resources += "\n<t type=\"texture\" name=\"t" + std::to_string(i) +
                   "\"><param name=\"filename\" type=\"string\" value=\"" + files[i] + "\"/></t>";
    std::string script = Script("<m type=\"fill\" start=\"0\" end=\"10\"/>", resources + "\n");
    script.replace(script.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
    Write("demo.xml", script);
    return {"--check", "demo.xml"};
  }

  // Makes the player's decode child stall (and say so by creating `marker`) until the scope ends.
  struct StalledDecodes {
    explicit StalledDecodes(const std::string& marker) {
      setenv("VEXIL_TEST_STALL_DECODE", marker.c_str(), 1);
    }
    ~StalledDecodes() { unsetenv("VEXIL_TEST_STALL_DECODE"); }
  };
};

TEST_F(HostileDecode, StallingAndLyingPicturesEndInAMessageNamingTheFile) {
  const struct {
    const char* file;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"stall.png", stalling::HdrWithRunOfZero(), "HDR picture: no \"-Y height +X width\" line"},
      {"chains.gif", stalling::GifOfLongChains(16, 16, 40), "stands for more pixels than"},
      {"short.tga", stalling::TgaWithoutItsPackets(), "too short"},
      {"short.bmp", stalling::BmpWithoutPixels(), "too short"},
      {"method.psd", stalling::PsdOfUnknownCompression(), "unknown compression"},
      {"soft.pic", stalling::SoftimagePic(),
       "Softimage PIC pictures are not supported; convert it to PNG"},
  };
  std::vector<std::string> files;
  for (const auto& c : cases) {
    Write(c.file, c.bytes);
    files.push_back(c.file);
  }
  const RunResult run = vexil::test::RunPlayer(CheckTextures(files), dir_, kLimits);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(1, run.status) << run.err;
  for (const auto& c : cases) {
    const std::string finding = std::string("the picture \"") + c.file + "\" cannot be loaded: ";
    const size_t at = run.out.find(finding);
    ASSERT_NE(std::string::npos, at) << finding << "\nin:\n" << run.out;
    EXPECT_NE(std::string::npos, run.out.find(c.reason, at)) << c.reason << "\nin:\n" << run.out;
  }
}

TEST_F(HostileDecode, ADecodePastTheBudgetFailsThatFileAlone) {
  Write("slow.tga", SmallTga());
  const StalledDecodes stalled(Path("stalled"));
  const RunResult run = vexil::test::RunPlayer(CheckTextures({"slow.tga"}), dir_, kLimits);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(1, run.status) << run.err;
  EXPECT_NE(std::string::npos,
            run.out.find("the picture \"slow.tga\" cannot be loaded: decoding took longer than "
                         "the limit of 10 seconds"))
      << run.out;
}

TEST_F(HostileDecode, AStopSignalDuringLoadingEndsThePlayerAtOnce) {
  Write("slow.tga", SmallTga());
  for (const int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    std::remove(Path("stalled").c_str());
    const StalledDecodes stalled(Path("stalled"));
    std::chrono::steady_clock::time_point sent;
    vexil::test::StopRequest stop;
    stop.signal = signal;
    stop.when = [&] {
      if (!FileExists(Path("stalled"))) return false;
      sent = std::chrono::steady_clock::now();
      return true;
    };
    // In a render and in a check run, both stuck in the picture's decode.
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{"--capture", "out"}, std::vector<std::string>{"--check"}}) {
      std::vector<std::string> args = mode;
      CheckTextures({"slow.tga"});
      args.push_back("demo.xml");
      const RunResult run = vexil::test::RunPlayer(args, dir_, kLimits, stop);
      EXPECT_EQ(0, run.signal) << "the player ends by itself";
      EXPECT_EQ(128 + signal, run.status) << run.err;
      // Well before the decode budget (10 s) would have ended the decode.
      EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(5));
      std::remove(Path("stalled").c_str());
    }
  }
}

}  // namespace
}  // namespace vexil_e2e

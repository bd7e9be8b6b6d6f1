// The catalogue of hostile scripts, containers, libraries, displays and command lines: what a
// stranger's demo or a careless command could hand the player. Each case runs the player
// under a time, memory and file-size limit and must end with the right exit status and a
// message that says what was wrong: never a signal, a hang or a run on memory. (Pictures,
// meshes and music have their own catalogue in tests/media.)
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

namespace fs = std::filesystem;

// Far above what a 64 x 48 demo needs, far below what a runaway would take.
constexpr vexil::test::RunLimits kLimits{30, 3 << 10, 64};

struct Case {
  const char* name;
  // Writes what the case needs into the scratch folder and returns the player's arguments.
  std::function<std::vector<std::string>()> prepare;
  int status;            // the exit status expected
  std::string expected;  // part of the message on stderr
};

class HostileInput : public PlayerTest {
 protected:
  RunResult RunLimited(const std::vector<std::string>& args,
                       const vexil::test::RunLimits& limits = kLimits,
                       const vexil::test::StopRequest& stop = {}) const {
    return vexil::test::RunPlayer(args, dir_, limits, stop);
  }

  void Expect(const Case& c, const RunResult& run) const {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(run.timedOut) << "over the time limit";
    EXPECT_EQ(0, run.signal) << "ended by signal " << run.signal << "\n" << run.err;
    EXPECT_EQ(c.status, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(c.expected))
        << "expected \"" << c.expected << "\" in:\n"
        << run.err;
    EXPECT_EQ(std::string::npos, run.err.find("Sanitizer")) << run.err;
  }

  void RunAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      fs::remove_all(Path("out"));
      Expect(c, RunLimited(c.prepare()));
    }
  }

  // A capture of `timeline` (test modules) with the given settings.
  std::vector<std::string> Capture(const std::string& timeline, const std::string& settings = "",
                                   const std::vector<std::string>& options = {}) {
    Write("demo.xml", Script(timeline, "", settings));
    std::vector<std::string> args{"--capture", "out"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back("demo.xml");
    return args;
  }
};

const std::string kFill = "<m type=\"fill\" start=\"0\" end=\"100\"/>";
const std::string kSize = "<width value=\"64\"/><height value=\"48\"/>";

TEST_F(HostileInput, CapturesThatWouldNeverEnd) {
  RunAll({
      {"a start time of -2^31",
       [&] { return Capture(kFill, kSize + "<starttime value=\"-2147483648\"/>"); }, 1,
       "would take more than the limit of 1000000 frames"},
      {"a module ending at 1e30 without --to",
       [&] { return Capture("<m type=\"fill\" start=\"0\" end=\"1e30\"/>"); }, 1,
       "from 0 ms to 1e+30 ms at 60 fps would take more than the limit"},
      {"--from -1e300",
       [&] {
         return Capture(kFill, "", {"--from", "-1e300"});
       },
       2, "--from needs a time in milliseconds from -2147483648 to 2147483647"},
      {"--to 1e300",
       [&] {
         return Capture(kFill, "", {"--to", "1e300"});
       },
       2, "--to needs a time"},
      {"--fps of a billion",
       [&] {
         return Capture(kFill, "", {"--fps", "1000000000"});
       },
       2, "--fps needs a whole number of frames per second from 1 to 1000"},
  });
}

TEST_F(HostileInput, CaptureFoldersThatCannotHoldACapture) {
  RunAll({
      {"an existing file",
       [&] {
         Write("taken", "a file where the folder should be");
         return std::vector<std::string>{"--capture", "taken", Write("demo.xml", Script(kFill))};
       },
       1, "cannot create the capture folder \"taken\": Not a directory"},
      {"a place nobody can write to",
       [&] {
         return std::vector<std::string>{"--capture", "/proc/vexil-capture",
                                         Write("demo.xml", Script(kFill))};
       },
       1, "cannot create the capture folder \"/proc/vexil-capture\""},
  });
}

TEST_F(HostileInput, AFullDiskEndsTheCaptureWithoutCountingWhatFailed) {
  // A file-size limit of 1 MiB stands in for a full disk: the audio file outgrows it after
  // six seconds, and that write fails like one on a full disk.
  Write("demo.xml", Script("<m type=\"fill\" start=\"0\" end=\"10000\"/>"));
  vexil::test::RunLimits limits = kLimits;
  limits.fileMiB = 1;
  const RunResult run = RunLimited({"--capture", "out", "--fps", "10", "demo.xml"}, limits);
  Expect({"a full disk", nullptr, 1, "cannot write the capture's audio"}, run);
  EXPECT_NE(std::string::npos, run.err.find("File too large")) << run.err;

  // A frame whose file cannot be made is not counted: frames 0 and 1 are written.
  fs::remove_all(Path("out"));
  fs::create_directories(Path("out/frame-000002.png"));
  const RunResult blocked =
      RunLimited({"--capture", "out", "--fps", "10", "--to", "200", "demo.xml"});
  Expect({"a frame that cannot be written", nullptr, 1, "frame-000002.png"}, blocked);
  EXPECT_NE(std::string::npos, blocked.out.find("vexil: 2 frames at 10 fps")) << blocked.out;
}

TEST_F(HostileInput, StopSignalsEndACaptureAndKeepItsFrames) {
  Write("demo.xml", Script("<m type=\"fill\" start=\"0\" end=\"3600000\"/>"));
  for (int signal : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal);
    fs::remove_all(Path("out"));
    vexil::test::StopRequest stop;
    stop.signal = signal;
    stop.when = [this] { return FileExists(Path("out/frame-000010.png")); };
    const RunResult run = RunLimited({"--capture", "out", "demo.xml"}, kLimits, stop);
    EXPECT_EQ(0, run.signal) << "the player ends by itself";
    EXPECT_EQ(128 + signal, run.status) << run.err;
    const std::string name = signal == SIGTERM ? "SIGTERM" : "SIGINT";
    EXPECT_NE(std::string::npos, run.err.find("the capture was stopped by " + name)) << run.err;
    const int frames = CountFrames("out");
    EXPECT_GE(frames, 10) << "the frames written so far stay";
    EXPECT_NE(std::string::npos,
              run.out.find("vexil: " + std::to_string(frames) + " frames at 60 fps"))
        << run.out;
    // The music of exactly those frames, in a finished file.
    EXPECT_EQ(44u + static_cast<size_t>(frames) * 735u * 4u,
              ReadFile(Path("out/audio.wav")).size());
  }
}

TEST_F(HostileInput, DisplaysAndTargetsTooLargeForMemory) {
  RunAll({
      {"a display of 16384 x 16384",
       [&] { return Capture(kFill, "<width value=\"16384\"/><height value=\"16384\"/>"); }, 1,
       "display of 16384 x 16384 pixels is larger than the limit of 67108864 pixels"},
      {"a display wider than any GPU",
       [&] { return Capture(kFill, "<width value=\"30000\"/><height value=\"2\"/>"); }, 1,
       "cannot create an offscreen graphics device of 30000x2 pixels"},
      {"a display of negative size",
       [&] { return Capture(kFill, "<width value=\"-640\"/><height value=\"480\"/>"); }, 1,
       "no usable display size"},
  });
}

TEST_F(HostileInput, RenderTargetsBeyondMemoryAreRefusedOneByOne) {
  if (vexil::test::Sanitized()) {
    GTEST_SKIP() << "needs an address-space limit, which sanitizer builds cannot take";
  }
  // Four targets of 8192 x 8192 with their depth buffers need 2 GiB: some cannot be made
  // under a limit of 1.5 GiB. Those are refused with the reason, and the demo goes on.
  std::string resources, timeline = kFill;
  for (int i = 0; i < 4; ++i) {
    const std::string name = "rt" + std::to_string(i);
    resources += "<t type=\"texture\" name=\"" + name +
                 "\"><param name=\"type\" type=\"long\" value=\"1\"/>"
                 "<param name=\"width\" type=\"long\" value=\"8192\"/>"
                 "<param name=\"height\" type=\"long\" value=\"8192\"/></t>";
    timeline += "<m type=\"fill\" start=\"0\" end=\"100\"><target value=\"" + name + "\"/></m>";
  }
  std::string script = Script(timeline, resources);
  script.replace(script.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
  Write("demo.xml", script);
  vexil::test::RunLimits limits = kLimits;
  limits.memoryMiB = 1536;
  const RunResult run = RunLimited({"--capture", "out", "--to", "50", "demo.xml"}, limits);
  Expect({"four render targets of 8192 x 8192", nullptr, 0, "not enough video memory"}, run);
  EXPECT_EQ(4, CountFrames("out")) << "the demo went on";
}

}  // namespace
}  // namespace vexil_e2e

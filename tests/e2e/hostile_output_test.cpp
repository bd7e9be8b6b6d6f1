// The catalogue of hostile places to write to: what a demo's archive or a careless command line
// could put where the player writes its frames, audio, manifests, videos and timing log, and what
// vexil-gma writes. Named pipes and device nodes are made in the test's own folder, never the
// system's; every run is bounded in time, memory and file size.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e_harness.h"

namespace vexil_e2e {
namespace {

namespace fs = std::filesystem;

constexpr vexil::test::RunLimits kLimits{30, 3 << 10, 64};

const std::string kFill = "<m type=\"fill\" start=\"0\" end=\"100\"/>";

class HostileOutput : public PlayerTest {
 protected:
  RunResult RunLimited(const std::vector<std::string>& args,
                       const vexil::test::RunLimits& limits = kLimits,
                       const vexil::test::StopRequest& stop = {}) const {
    return vexil::test::RunPlayer(args, dir_, limits, stop);
  }

  // The run ended by itself within its limits with `status`, saying `expected` on stderr.
  static void ExpectEnd(const RunResult& run, int status, const std::string& expected) {
    EXPECT_FALSE(run.timedOut) << "over the time limit";
    EXPECT_EQ(0, run.signal) << run.err;
    EXPECT_EQ(status, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(expected)) << "expected \"" << expected << "\" in:\n"
                                                         << run.err;
  }

  void MakeFifo(const std::string& name) const {
    ASSERT_EQ(0, ::mkfifo(Path(name).c_str(), 0600)) << name;
  }

  // Names in the scratch folder other than `keep`: temporaries and locks left behind.
  std::vector<std::string> Leftovers(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path(folder))) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.') names.push_back(name);
    }
    return names;
  }
};

TEST_F(HostileOutput, PipesInTheCaptureFolderNeverHangIt) {
  Write("demo.xml", Script(kFill));
  fs::create_directories(Path("out"));
  MakeFifo("out/frame-000001.png");
  const RunResult run = RunLimited({"--capture", "out", "--to", "50", "demo.xml"});
  ExpectEnd(run, 1, "frame-000001.png");
  EXPECT_NE(std::string::npos, run.err.find("named pipe")) << run.err;
  struct stat info {};
  ASSERT_EQ(0, ::lstat(Path("out/frame-000001.png").c_str(), &info));
  EXPECT_TRUE(S_ISFIFO(info.st_mode)) << "the pipe is left as it was";

  // The names earlier versions wrote through, planted as a pipe and a link: both are ignored.
  fs::remove_all(Path("out"));
  fs::create_directories(Path("out"));
  MakeFifo("out/audio.wav.partial");
  Write("victim", "untouched");
  fs::create_symlink(Path("victim"), Path("golden.txt.partial"));
  const RunResult planted =
      RunLimited({"--capture", "out", "--hashes", "golden.txt", "--to", "50", "demo.xml"});
  EXPECT_EQ(0, planted.status) << planted.err;
  EXPECT_EQ("untouched", ReadFile(Path("victim")));
  EXPECT_EQ(4, CountFrames("out"));
  EXPECT_TRUE(Leftovers("out").empty());
}

TEST_F(HostileOutput, ManifestsToPipesDevicesAndLinks) {
  Write("demo.xml", Script(kFill));
  // A pipe no program reads: refused at once, and the pipe stays a pipe.
  MakeFifo("pipe.txt");
  ExpectEnd(RunLimited({"--hashes", "pipe.txt", "--to", "50", "demo.xml"}), 1,
            "a named pipe that no program reads");

  // A link: its target is updated, the link stays a link.
  fs::create_directories(Path("kept"));
  fs::create_symlink("kept/golden.txt", Path("link.txt"));
  const RunResult linked = RunLimited({"--hashes", "link.txt", "--to", "50", "demo.xml"});
  EXPECT_EQ(0, linked.status) << linked.err;
  EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
  EXPECT_NE(std::string::npos, ReadFile(Path("kept/golden.txt")).find("frame 3 "));

  // A character device (the null device's numbers, as a node of our own) is written in place
  // and never replaced by a file.
  if (::mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    const RunResult device = RunLimited({"--hashes", "null", "--to", "50", "demo.xml"});
    struct stat info {};
    ASSERT_EQ(0, ::lstat(Path("null").c_str(), &info));
    EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device was replaced: " << device.err;
    // A file system mounted without devices refuses the open; either way nothing replaced it.
    EXPECT_TRUE(device.status == 0 || device.err.find("null") != std::string::npos) << device.err;
  }
}

TEST_F(HostileOutput, RendersOfNoFrameAndEmptyManifestsFail) {
  Write("demo.xml", Script(kFill));
  const RunResult late = RunLimited({"--hashes", "late.txt", "--from", "99999999", "demo.xml"});
  ExpectEnd(late, 1, "holds no frame");
  EXPECT_FALSE(FileExists(Path("late.txt")));
  EXPECT_EQ(std::string::npos, late.out.find("written")) << late.out;

  // A manifest whose span holds no frame would match any script.
  Write("empty.txt",
        "hash xxh3-128\nsize 64x48\nfps 60\nfrom 5000\nto 0\n"
        "audio 44100 0 00000000000000000000000000000000\n");
  ExpectEnd(RunLimited({"--verify", "empty.txt", "demo.xml"}), 1, "holds no frame");
}

TEST_F(HostileOutput, SummariesCountOnlyCompleteFiles) {
  Write("demo.xml", Script(kFill));
  const RunResult run = RunLimited({"--hashes", "../missing-folder/x.txt", "demo.xml"});
  ExpectEnd(run, 1, "missing-folder/x.txt");
  EXPECT_EQ(std::string::npos, run.out.find("written")) << run.out;

  // A video that outgrows the disk (a file-size limit stands in for it) is not left under its
  // name, nor is its temporary. Its music is 20 s of noise,
  // which FLAC cannot make smaller than 1 MiB.
  uint32_t noise = 12345;
  Write("noise.wav", StereoWav(882000, [&noise](int) {
          noise = noise * 1664525u + 1013904223u;
          return static_cast<int16_t>(noise >> 16);
        }));
  std::string music = Script(
      "<m type=\"fill\" start=\"0\" end=\"20000\"/><m type=\"fmod\" start=\"0\" end=\"20000\">"
      "<param name=\"filename\" type=\"string\" value=\"noise.wav\"/></m>");
  music.replace(music.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
  Write("long.xml", music);
  vexil::test::RunLimits small = kLimits;
  small.fileMiB = 1;
  const RunResult video = RunLimited({"--video", "v.mkv", "--fps", "10", "long.xml"}, small);
  EXPECT_EQ(1, video.status) << video.err;
  EXPECT_FALSE(FileExists(Path("v.mkv")));
  EXPECT_EQ(std::string::npos, video.out.find("written")) << video.out;
  EXPECT_TRUE(Leftovers("").empty());
}

TEST_F(HostileOutput, ASecondRenderIntoTheSamePlaceIsRefused) {
  Write("demo.xml", Script(kFill));
  fs::create_directories(Path("out"));
  // The lock a running render holds, taken here as that render would.
  const int lock = ::open(Path("out/.vexil-render.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(0, ::flock(lock, LOCK_EX | LOCK_NB));
  const std::string holder = "pid 4242: vexil --capture out demo.xml\n";
  ASSERT_EQ(static_cast<ssize_t>(holder.size()), ::write(lock, holder.data(), holder.size()));
  const RunResult second = RunLimited({"--capture", "out", "--to", "50", "demo.xml"});
  ::close(lock);
  ExpectEnd(second, 1, "another render is writing to \"out\" (pid 4242: vexil --capture out");
  EXPECT_EQ(0, CountFrames("out"));

  // Once the first has ended, the folder is free again and no lock file is left.
  fs::remove(Path("out/.vexil-render.lock"));
  const RunResult after = RunLimited({"--capture", "out", "--to", "50", "demo.xml"});
  EXPECT_EQ(0, after.status) << after.err;
  EXPECT_TRUE(Leftovers("out").empty());
}

TEST_F(HostileOutput, StrictRendersFailOnFilesThatDoNotLoad) {
  std::string script =
      Script(kFill,
             "<t type=\"texture\" name=\"gone\"><param name=\"filename\" type=\"string\" "
             "value=\"missing.png\"/></t>");
  script.replace(script.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
  Write("demo.xml", script);
  const RunResult lenient = RunLimited({"--hashes", "a.txt", "--to", "50", "demo.xml"});
  EXPECT_EQ(0, lenient.status) << "the demo plays on without the file: " << lenient.err;
  const RunResult strict = RunLimited({"--strict", "--hashes", "b.txt", "--to", "50", "demo.xml"});
  ExpectEnd(strict, 1, "--strict");
  EXPECT_FALSE(FileExists(Path("b.txt")));
}

TEST_F(HostileOutput, ATimingLogThatIsNoFileIsLeftAlone) {
  const std::string showtime = "<m type=\"showtime\" start=\"0\" end=\"100\"/>";
  std::string script = Script(kFill + showtime);
  script.replace(script.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
  Write("demo.xml", script);

  // A pipe: the render goes on past it and ends on SIGTERM as promised.
  MakeFifo("timing.txt");
  vexil::test::StopRequest stop;
  stop.signal = SIGTERM;
  stop.when = [this] { return FileExists(Path("out/frame-000002.png")); };
  Write("long.xml", [&] {
    std::string s = Script("<m type=\"fill\" start=\"0\" end=\"600000\"/>" + showtime);
    s.replace(s.find("<library "), 0, "<library file=\"effectpack.dll\"/>");
    return s;
  }());
  const RunResult piped = RunLimited({"--capture", "out", "long.xml"}, kLimits, stop);
  ExpectEnd(piped, 128 + SIGTERM, "\"timing.txt\" is not a regular file (a named pipe)");

  // A link: the file it points at is not appended to.
  fs::remove(Path("timing.txt"));
  Write("elsewhere", "kept");
  fs::create_symlink(Path("elsewhere"), Path("timing.txt"));
  const RunResult linked = RunLimited({"--hashes", "h.txt", "--to", "50", "demo.xml"});
  ExpectEnd(linked, 0, "\"timing.txt\" is a symbolic link");
  EXPECT_EQ("kept", ReadFile(Path("elsewhere")));
}

TEST_F(HostileOutput, GmaKeepsThePlayersLimitAndNeverReplacesADevice) {
  const std::string tool = vexil::test::BuiltProgram("vexil-gma");
  // 70 MB that take no room on the disk: the player refuses it, so the tool does too, alike.
  {
    const int fd = ::open(Path("big.xml").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::ftruncate(fd, 70 << 20));
    ::close(fd);
  }
  const RunResult packed =
      vexil::test::RunProgram(tool, {"pack", "big.xml", "big.gma"}, dir_, kLimits);
  EXPECT_EQ(1, packed.status) << packed.err;
  EXPECT_FALSE(FileExists(Path("big.gma")));
  const RunResult played = RunLimited({"--check", "big.xml"});
  const std::string limit =
      "cannot read the script \"big.xml\": file of 73400320 bytes is "
      "larger than the limit of 67108864 bytes";
  EXPECT_NE(std::string::npos, packed.err.find(limit)) << packed.err;
  EXPECT_NE(std::string::npos, played.err.find(limit)) << played.err;

  Write("small.xml", "<demo/>");
  MakeFifo("out.gma");
  const RunResult piped =
      vexil::test::RunProgram(tool, {"pack", "small.xml", "out.gma"}, dir_, kLimits);
  EXPECT_FALSE(piped.timedOut);
  EXPECT_EQ(1, piped.status) << piped.err;
  EXPECT_NE(std::string::npos, piped.err.find("named pipe")) << piped.err;
  if (::mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    vexil::test::RunProgram(tool, {"pack", "small.xml", "null"}, dir_, kLimits);
    struct stat info {};
    ASSERT_EQ(0, ::lstat(Path("null").c_str(), &info));
    EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device node was replaced by a file";
  }
}

}  // namespace
}  // namespace vexil_e2e

// The catalogue of hostile scripts, containers, libraries, displays and command lines: what a
// stranger's demo or a careless command could hand the player. Each case runs the player
// under a time, memory and file-size limit and must end with the right exit status and a
// message that says what was wrong: never a signal, a hang or a run on memory. (Pictures,
// meshes and music have their own catalogue in tests/media.)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "container/container_cipher.h"
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
    // Messages go to stderr; the findings of --check to stdout.
    const std::string said = run.err + run.out;
    EXPECT_NE(std::string::npos, said.find(c.expected)) << "expected \"" << c.expected << "\" in:\n"
                                                        << said;
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

std::string Repeat(const std::string& text, int times) {
  std::string out;
  out.reserve(text.size() * static_cast<size_t>(times));
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// A script whose timeline holds `inside` next to a module that plays.
std::string ScriptWith(const std::string& inside) {
  return Script(kFill + inside);
}

// A file of `bytes` bytes that takes no room on the disk.
std::string Sparse(const std::string& path, off_t bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(0, ::ftruncate(fd, bytes));
  ::close(fd);
  return path;
}

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

TEST_F(HostileInput, ScriptsThatWouldCrashStallOrExhaustTheParser) {
  const std::string refused = "the script \"demo.xml\" is refused: ";
  auto capture = [&](const std::string& script) {
    Write("demo.xml", script);
    return std::vector<std::string>{"--capture", "out", "demo.xml"};
  };
  RunAll({
      {"elements nested 300000 deep",
       [&] { return capture(ScriptWith(Repeat("<a>", 300000) + Repeat("</a>", 300000))); }, 1,
       refused + "line 5: elements nested more than the limit of 256 deep"},
      {"30000 attributes on one element",
       [&] {
         std::string wide = "<m type=\"fill\"";
         for (int i = 0; i < 30000; ++i) wide += " a" + std::to_string(i) + "=\"1\"";
         return capture(ScriptWith(wide + "/>"));
       },
       1, "<m> has more than the limit of 64 attributes"},
      {"1100000 elements",
       [&] { return capture(ScriptWith("<x>" + Repeat("<y/>", 1100000) + "</x>")); }, 1,
       "the script has more than the limit of 1048576 elements"},
      {"70000 keys in one parameter",
       [&] {
         return capture(
             ScriptWith("<m type=\"fill\" start=\"0\" end=\"100\">\n"
                        "<param name=\"color\" type=\"linearcolor\">" +
                        Repeat("<key time=\"0\" value=\"#FF000000\"/>", 70000) + "</param></m>"));
       },
       1, "<param> of line 6 has more than the limit of 65536 <key> elements"},
      {"a value of 100000 characters",
       [&] {
         return capture(
             ScriptWith("<m type=\"fill\" start=\"0\" end=\"100\"><param name=\"x\" "
                        "type=\"string\" value=\"" +
                        std::string(100000, 'x') + "\"/></m>"));
       },
       1, "the value of attribute \"value\" of <param> is 100000 characters long"},
      {"an element name of 5000 characters",
       [&] { return capture(ScriptWith("<" + std::string(5000, 'n') + "/>")); }, 1,
       "an element name of 5000 characters is longer than the limit of 256"},
      {"an entity that hides a quote, then deep nesting",
       [&] {
         return capture(ScriptWith("<m type='fill' y='&#x41'x42;'>" + Repeat("<a>", 1000) +
                                   Repeat("</a>", 1000) + "</m>"));
       },
       1, "elements nested more than the limit of 256 deep"},
      {"deep nesting under --check",
       [&] {
         Write("demo.xml", ScriptWith(Repeat("<a>", 5000) + Repeat("</a>", 5000)));
         return std::vector<std::string>{"--check", "demo.xml"};
       },
       1, refused + "line 5: elements nested more than the limit of 256 deep"},
      {"an element that is never closed", [&] { return capture(ScriptWith("<m type=\"fill\">")); },
       1, "is not well-formed XML"},
      {"an empty script", [&] { return capture(""); }, 1, "is not well-formed XML"},
      {"a zero byte in the script",
       [&] { return capture(ScriptWith(std::string("<a>\0</a>", 8))); }, 1, "is not a text file"},
  });
}

TEST_F(HostileInput, ScriptFilesThatAreNoScripts) {
  const std::string cannot = "cannot read the script ";
  auto capture = [](const std::string& path) {
    return std::vector<std::string>{"--capture", "out", path};
  };
  RunAll({
      {"/dev/zero", [&] { return capture("/dev/zero"); }, 1,
       cannot + "\"/dev/zero\": not a regular file (a character device)"},
      {"/dev/urandom", [&] { return capture("/dev/urandom"); }, 1,
       "not a regular file (a character device)"},
      {"a named pipe",
       [&] {
         EXPECT_EQ(0, mkfifo(Path("pipe.xml").c_str(), 0600));
         return capture("pipe.xml");
       },
       1, cannot + "\"pipe.xml\": not a regular file (a named pipe)"},
      {"a folder",
       [&] {
         fs::create_directories(Path("folder.xml"));
         return capture("folder.xml");
       },
       1, "not a regular file (a folder)"},
      {"a script of 65 MiB", [&] { return capture(Sparse(Path("huge.xml"), 65 << 20)); }, 1,
       "file of 68157440 bytes is larger than the limit of 67108864 bytes"},
      {"a container of 65 MiB", [&] { return capture(Sparse(Path("huge.gma"), 65 << 20)); }, 1,
       "larger than the limit of 67108864 bytes"},
      {"a missing script", [&] { return capture("absent.xml"); }, 1,
       cannot + "\"absent.xml\": file not found"},
  });
}

TEST_F(HostileInput, ContainersThatHideHostileScripts) {
  auto container = [&](std::string plain) {
    EXPECT_TRUE(vexil::EncodeContainer(&plain));
    Write("demo.gma", plain);
    return std::vector<std::string>{"--capture", "out", "demo.gma"};
  };
  RunAll({
      {"deep nesting inside a container",
       [&] { return container(ScriptWith(Repeat("<a>", 100000) + Repeat("</a>", 100000))); }, 1,
       "the script in the container \"demo.gma\" is refused: line 5: elements nested more than "
       "the limit of 256 deep"},
      {"random bytes as a container",
       [&] {
         std::string noise(4096, '\0');
         for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>(i * 7919 >> 3);
         Write("noise.gma", noise);
         return std::vector<std::string>{"--capture", "out", "noise.gma"};
       },
       1, "is not a script container, or made with another key"},
      {"an empty container",
       [&] {
         Write("empty.gma", "");
         return std::vector<std::string>{"--capture", "out", "empty.gma"};
       },
       1, "is not a script container, or made with another key"},
  });
}

TEST_F(HostileInput, LibrariesOutsideTheTwoFoldersOrThatAreNoPlugIns) {
  const std::string modules = vexil::test::BuiltProgram("libvexil_e2e_modules.so");
  auto check = [&](const std::string& library) {
    std::string script = Script(kFill);
    script.replace(script.find("<library "), 0, "<library file=\"" + library + "\"/>");
    Write("demo.xml", script);
    return std::vector<std::string>{"--check", "demo.xml"};
  };
  const std::string refused = "is refused: a script names a library by its file name alone";
  RunAll({
      {"an absolute path", [&] { return check(modules); }, 1, refused},
      {"a path going up", [&] { return check("../vexil_e2e_modules.dll"); }, 1, refused},
      {"a Windows path", [&] { return check("plugins\\fx.dll"); }, 1, refused},
      {"a system library by name", [&] { return check("libc.so.6"); }, 1,
       "no library \"libc.so.6\" in the program's library folder or the script's folder"},
      {"text under a library's name",
       [&] {
         Write("libnotes.so", "these are my notes");
         return check("notes.dll");
       },
       1, "libnotes.so: not a plug-in library: not a shared library (no ELF header)"},
      {"a library for another machine",
       [&] {
         // An ELF header of a shared library for 32-bit ARM.
         std::string elf(64, '\0');
         elf.replace(0, 7,
                     "\x7f"
                     "ELF\x01\x01\x01");
         elf[16] = 3;   // ET_DYN
         elf[18] = 40;  // EM_ARM
         Write("libarm.so", elf);
         return check("arm.dll");
       },
       1, "not a plug-in library: a library for another kind of machine"},
      {"a named pipe as a library",
       [&] {
         EXPECT_EQ(0, mkfifo(Path("libpipe.so").c_str(), 0600));
         return check("pipe.dll");
       },
       1, "no library \"pipe.dll\""},
  });
}

TEST_F(HostileInput, AForeignLibraryNeverRunsItsCode) {
  // A real shared library with an initialiser, beside the script under a plug-in's name.
  const std::string foreign = ReadFile(vexil::test::BuiltProgram("libvexil_e2e_foreign.so"));
  ASSERT_FALSE(foreign.empty());
  Write("libforeign.so", foreign);
  std::string script = Script(kFill);
  script.replace(script.find("<library "), 0, "<library file=\"Foreign.DLL\"/>");
  Write("demo.xml", script);

  const RunResult checked = RunLimited({"--check", "demo.xml"});
  Expect({"a foreign library under --check", nullptr, 1,
          "libforeign.so: not a plug-in library: it does not define GetName, CreateInstance and "
          "FreeInstance"},
         checked);
  const RunResult played = RunLimited({"--capture", "out", "--to", "50", "demo.xml"});
  Expect({"a foreign library in a capture", nullptr, 0,
          "line 3: ./libforeign.so: not a plug-in library"},
         played);
  EXPECT_EQ(4, CountFrames("out")) << "the demo goes on without it";
  EXPECT_FALSE(FileExists(Path("foreign-code-ran"))) << "its initialiser ran";
}

}  // namespace
}  // namespace vexil_e2e

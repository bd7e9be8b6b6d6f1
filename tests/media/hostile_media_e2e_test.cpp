// The catalogue of hostile media: pictures, meshes, music and fonts that a stranger's demo
// could carry, each played through the player (a short capture) under a time limit and a
// memory limit. Every case must end with exit status 0 and the demo going on without the
// resource, with a message on stderr that names the file and the reason: never a signal, a
// hang or a run on memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "hostile_files.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

// Address space for the player: far above what a 64 x 48 demo needs (a few hundred MB with
// the GL driver), far below what a decoder tricked into a 16384 x 16384 picture would take.
constexpr vexil::test::RunLimits kLimits{30, 3 << 10, 64};

using Outcome = vexil::test::RunResult;

class HostileMedia : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_.File(name); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
    return Path(name);
  }
  std::string Fifo(const std::string& name) const {
    EXPECT_EQ(0, mkfifo(Path(name).c_str(), 0600));
    return Path(name);
  }

  // Plays `resources` and `timeline` for 100 ms as a capture and returns how it ended.
  Outcome Play(const std::string& resources, const std::string& timeline) const {
    std::ofstream(Path("demo.xml"))
        << "<demo name=\"hostile\"><settings><width value=\"64\"/><height value=\"48\"/>"
           "</settings><libraries><library file=\"effectpack.dll\"/></libraries><resources>"
        << resources << "</resources><timeline>"
        << "<backdrop type=\"clearscreen\" start=\"0\" end=\"100\"/>" << timeline
        << "</timeline></demo>";
    fs::remove_all(Path("out"));
    return vexil::test::RunPlayer({"--capture", "out", "--to", "100", "demo.xml"}, scratch_.path(),
                                  kLimits);
  }

  static std::string Param(const std::string& name, const std::string& value) {
    return "<param name=\"" + name + "\" type=\"string\" value=\"" + value + "\"/>";
  }
  static std::string Texture(const std::string& file) {
    return "<t type=\"texture\" name=\"pic\">" + Param("filename", file) + "</t>";
  }
  static std::string ShowPicture() {
    return "<s type=\"showimage\" start=\"0\" end=\"100\" layer=\"1\">" + Param("texture", "pic") +
           "</s>";
  }
  static std::string Mesh(const std::string& file, const std::string& textureDir = "") {
    return "<k type=\"klutt\" name=\"mesh\">" + Param("filename", file) +
           (textureDir.empty() ? "" : Param("texturedir", textureDir)) + "</k>";
  }
  static std::string Music(const std::string& file) {
    return "<m type=\"fmod\" start=\"0\" end=\"100\">" + Param("filename", file) + "</m>";
  }
  static std::string MusicFromRaw(const std::string& file) {
    return "<r type=\"raw\" name=\"song\">" + Param("filename", file) + "</r>";
  }

  // A case passes when the player ended normally with status 0, the capture went on, and
  // stderr holds `expected` (empty: nothing in particular).
  void Expect(const char* name, const Outcome& run, const std::string& expected) const {
    SCOPED_TRACE(name);
    EXPECT_EQ(0, run.status) << (run.timedOut ? "over the time limit" : "-1: ended by a signal")
                             << "\n"
                             << run.err;
    EXPECT_TRUE(fs::exists(Path("out/frame-000000.png"))) << "the demo went on\n" << run.err;
    if (!expected.empty()) {
      EXPECT_NE(std::string::npos, run.err.find(expected)) << run.err;
    }
    EXPECT_EQ(std::string::npos, run.err.find("Sanitizer")) << run.err;
  }

  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
};

struct Case {
  const char* name;
  std::function<std::string()> make;  // writes the hostile file, returns its path
  std::string expected;               // part of the message on stderr
};

TEST_F(HostileMedia, Pictures) {
  const std::vector<Case> cases = {
      {"/dev/zero", [] { return std::string("/dev/zero"); },
       "not a regular file (a character device)"},
      {"/dev/urandom", [] { return std::string("/dev/urandom"); }, "not a regular file"},
      {"a named pipe", [&] { return Fifo("pipe.png"); }, "not a regular file (a named pipe)"},
      {"a folder", [&] { return dir_; }, "not a regular file (a folder)"},
      {"a missing file", [&] { return Path("missing.png"); }, "file not found"},
      {"an empty file", [&] { return Write("empty.png", ""); }, "the file is empty"},
      {"PNG claiming 20000 x 20000",
       [&] { return Write("huge.png", hostile::PngHeader(20000, 20000)); },
       "20000 x 20000 pixels is larger than the limit of 16384 pixels a side"},
      {"PNG claiming 16384 x 16384",
       [&] { return Write("big.png", hostile::PngHeader(16384, 16384)); },
       "is more than the limit of 67108864 pixels"},
      {"PNG cut short", [&] { return Write("cut.png", hostile::PngHeader(64, 64)); },
       "broken PNG data"},
      {"JPEG claiming 20000 x 20000",
       [&] { return Write("huge.jpg", hostile::JpegHeader(20000, 20000)); },
       "larger than the limit of 16384"},
      {"run-length TGA claiming 16384 x 16384",
       [&] { return Write("huge.tga", hostile::RleTga(16384, 16384)); }, "more than the limit"},
      {"run-length TGA claiming 8000 x 8000 in 23 bytes",
       [&] { return Write("lying.tga", hostile::RleTga(8000, 8000)); }, "too short"},
      {"DDS claiming 16384 x 16384",
       [&] { return Write("huge.dds", hostile::DdsHeaderOnly(16384, 16384)); },
       "more than the limit"},
      {"DDS with no data", [&] { return Write("empty.dds", hostile::DdsHeaderOnly(4096, 4096)); },
       "truncated DDS data"},
      {"BMP without its pixels",
       [&] { return Write("lying.bmp", hostile::BmpHeaderOnly(8000, 8000)); }, "too short"},
      {"16-bit PGM without its data",
       [&] { return Write("deep.pgm", "P5 4000 4000 65535\n\x01\x02"); }, "too short"},
      {"text under a picture's name", [&] { return Write("text.png", "hello, world"); },
       "not a picture"},
  };
  for (const Case& c : cases) {
    const std::string file = c.make();
    Expect(c.name, Play(Texture(file), ShowPicture()), c.expected);
  }
}

TEST_F(HostileMedia, PicturesThatDecodeStillLoad) {
  // A valid 16-bit PPM: the format the single-header decoder used to read past its buffer.
  std::string ppm = "P6 300 200 65535\n";
  for (int i = 0; i < 300 * 200 * 3; ++i) ppm += std::string(1, static_cast<char>(i)) + "\x80";
  const Outcome run = Play(Texture(Write("deep.ppm", ppm)), ShowPicture());
  Expect("16-bit PPM", run, "");
  EXPECT_EQ(std::string::npos, run.err.find("cannot load")) << run.err;
}

TEST_F(HostileMedia, RenderTargets) {
  const std::vector<std::pair<const char*, std::string>> sizes = {
      {"20000 x 20000",
       "<param name=\"width\" type=\"long\" value=\"20000\"/>"
       "<param name=\"height\" type=\"long\" value=\"20000\"/>"},
      {"16384 x 16384",
       "<param name=\"width\" type=\"long\" value=\"16384\"/>"
       "<param name=\"height\" type=\"long\" value=\"16384\"/>"},
      // -1 is D3DX_DEFAULT (the other side's size); -2 is a side of 4294967294.
      {"-2 x 64",
       "<param name=\"width\" type=\"long\" value=\"-2\"/>"
       "<param name=\"height\" type=\"long\" value=\"64\"/>"},
  };
  for (const auto& [name, params] : sizes) {
    const std::string target =
        "<t type=\"texture\" name=\"rt\"><param name=\"type\" "
        "type=\"long\" value=\"1\"/>" +
        params + "</t>";
    Expect(name, Play(target, ""), "cannot create a texture of");
  }
}

TEST_F(HostileMedia, Meshes) {
  const std::string triangle =
      "xof 0303txt 0032\nMesh { 3; 0;0;0;, 0;1;0;, 1;0;0;; 1; 3;0,1,2;;\n"
      " MeshNormals { 1; 0;0;-1;; 1; 3;0,0,0;; } }\n";
  auto replace = [](std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
  };
  std::string nested = "xof 0303txt 0032\n";
  for (int i = 0; i < 300000; ++i) nested += "Frame F{";
  nested += triangle.substr(17) + std::string(300000, '}');

  const std::vector<Case> cases = {
      {"/dev/urandom", [] { return std::string("/dev/urandom"); }, "not a regular file"},
      {"a named pipe", [&] { return Fifo("pipe.x"); }, "not a regular file (a named pipe)"},
      {"a face index far out of range",
       [&] { return Write("face.x", replace(triangle, "3;0,1,2;;", "3;0,1,2000000000;;")); },
       "face 0 uses vertex 2000000000 of 3"},
      {"a normal index far out of range",
       [&] { return Write("normal.x", replace(triangle, "3;0,0,0;;", "3;0,0,4000000000;;")); },
       "uses normal 4000000000 of 1"},
      {"frames nested 300000 deep", [&] { return Write("nested.x", nested); },
       "frames nested more than 256 deep"},
      {"four billion vertices",
       [&] { return Write("count.x", replace(triangle, "Mesh { 3;", "Mesh { 4000000000;")); },
       "4000000000 vertices is more than the limit of 4194304"},
      {"a compressed file with no data",
       [&] { return Write("zip.x", "xof 0303tzip0032\x01\x02\x03\x04"); }, "cut short"},
      {"text that is no mesh", [&] { return Write("junk.x", "this is no mesh"); }, "not a .x file"},
  };
  for (const Case& c : cases) Expect(c.name, Play(Mesh(c.make()), ""), c.expected);

  // A mesh whose material names /dev/zero as its texture: the mesh loads, the texture is
  // refused.
  const std::string textured = replace(
      triangle, " MeshNormals",
      " MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "
      "\"zero\"; } } }\n MeshNormals");
  Write("textured.x", textured);
  Expect("a material texture of /dev/zero", Play(Mesh(Path("textured.x"), "/dev/"), ""),
         "cannot load texture \"/dev/zero\": not a regular file");
}

TEST_F(HostileMedia, EveryChangedByteOfABinaryMesh) {
  const std::string cube = Path("cube.x");
  ASSERT_EQ(0,
            vexil::test::RunProgram(vexil::test::BuiltProgram("vexil-xmeshgen"), {cube, "--binary"})
                .status);
  std::ifstream in(cube, std::ios::binary);
  const std::string original((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  ASSERT_GT(original.size(), 200u);
  // A spread of positions through the header, the counts and the data.
  for (size_t at :
       {size_t{20}, size_t{40}, original.size() / 3, original.size() / 2, original.size() - 10}) {
    std::string changed = original;
    changed[at] = static_cast<char>(changed[at] ^ 0x5a);
    Write("changed.x", changed);
    Expect(("byte " + std::to_string(at)).c_str(), Play(Mesh(Path("changed.x")), ""), "");
  }
}

TEST_F(HostileMedia, Music) {
  const std::vector<Case> cases = {
      {"a WAV claiming 5 MHz", [&] { return Write("fast.wav", hostile::Wav(5000000, 2, 8192)); },
       "a sample rate of 5000000 Hz is outside 1000 to 384000 Hz"},
      {"a WAV claiming 0 Hz", [&] { return Write("zero.wav", hostile::Wav(0, 2, 64)); }, "fmod:"},
      {"a WAV of 200 channels", [&] { return Write("wide.wav", hostile::Wav(44100, 200, 16)); },
       "fmod:"},
      {"a WAV whose data is cut short",
       [&] { return Write("cut.wav", hostile::Wav(44100, 2, 4096).substr(0, 100)); }, ""},
      {"/dev/zero", [] { return std::string("/dev/zero"); }, "not a regular file"},
      {"a named pipe", [&] { return Fifo("pipe.ogg"); }, "not a regular file (a named pipe)"},
      {"a folder", [&] { return dir_; }, "not a regular file (a folder)"},
      {"random bytes as Ogg", [&] { return Write("noise.ogg", std::string(4096, '\x5a')); },
       "fmod: cannot play"},
  };
  for (const Case& c : cases) Expect(c.name, Play("", Music(c.make())), c.expected);

  // The same through a raw resource: the bytes come from memory.
  const std::string fromMemory = "<m type=\"fmod\" start=\"0\" end=\"100\">" +
                                 Param("filename", "song") + Param("loadfrom", "memory") + "</m>";
  Write("fast.wav", hostile::Wav(5000000, 2, 8192));
  Expect("a 5 MHz WAV from a raw resource", Play(MusicFromRaw(Path("fast.wav")), fromMemory),
         "fsound: cannot play \"music in memory\": a sample rate of 5000000 Hz");
  Expect("a raw resource of /dev/zero", Play(MusicFromRaw("/dev/zero"), fromMemory),
         "raw resource \"song\": cannot read \"/dev/zero\": not a regular file");
  Fifo("raw.pipe");
  Expect("a raw resource from a named pipe", Play(MusicFromRaw(Path("raw.pipe")), fromMemory),
         "not a regular file (a named pipe)");
}

TEST_F(HostileMedia, ThousandsOfTextModulesShareOneFont) {
  std::string timeline;
  for (int i = 0; i < 3000; ++i)
    timeline +=
        "<t type=\"text\" start=\"0\" end=\"100\" layer=\"2\">" + Param("text", "x") + "</t>";
  Expect("3000 text modules", Play("", timeline), "");
}

}  // namespace

// A demo folder as it comes from a Windows machine: script and mesh with CRLF line ends,
// backslash paths, names in other letter case than the files, a Windows-1252 file name and an
// absolute path of the machine the mesh was made on. Captured headless, its pictures, the
// mesh's textures and the music all appear, and --check says what it had to guess.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "hostile_files.h"
#include "support/picture.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace {

using vexil::test::Picture;
using vexil::test::RunResult;

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// The loudest sample of a 16-bit WAV file's data chunk (0 when there is none).
int Loudest(const std::string& wav) {
  const size_t data = wav.find("data");
  int loudest = 0;
  for (size_t i = data == std::string::npos ? wav.size() : data + 8; i + 1 < wav.size(); i += 2) {
    const int16_t s = static_cast<int16_t>(static_cast<uint8_t>(wav[i]) |
                                           (static_cast<uint8_t>(wav[i + 1]) << 8));
    loudest = std::max(loudest, std::abs(static_cast<int>(s)));
  }
  return loudest;
}

// A square of two triangles facing the camera: the upper-left one wears material 0, the
// lower-right one material 1. Texture names as Windows exporters write them, one with the
// doubled backslashes some of them use.
const char kMesh[] = R"(xof 0303txt 0032
// made on Windows
Mesh Ship {
 4;
 -1.0;-1.0;0.0;,
 -1.0;1.0;0.0;,
 1.0;1.0;0.0;,
 1.0;-1.0;0.0;;
 2;
 3;0,1,2;,
 3;0,2,3;;
 MeshNormals {
  1;
  0.0;0.0;-1.0;;
  2;
  3;0,0,0;,
  3;0,0,0;;
 }
 MeshTextureCoords {
  4;
  0.0;1.0;,
  0.0;0.0;,
  1.0;0.0;,
  1.0;1.0;;
 }
 MeshMaterialList {
  2;
  2;
  0,
  1;;
  Material {
   1.0;1.0;1.0;1.0;;
   0.0;
   0.0;0.0;0.0;;
   1.0;1.0;1.0;;
   TextureFilename {
    "TEXTURES\\HULL.PNG";
   }
  }
  Material {
   1.0;1.0;1.0;1.0;;
   0.0;
   0.0;0.0;0.0;;
   1.0;1.0;1.0;;
   TextureFilename {
    "C:\Art\Ship\DECK.PNG";
   }
  }
 }
}
)";

// "T\xCATE.PNG" is "TÊTE.PNG" in Windows-1252; the file on disk is "Tête.png" in UTF-8. The
// declaration without an encoding makes the XML parser expect UTF-8.
const char kScript[] = R"(<?xml version="1.0"?>
<demo name="Windows">
  <settings><width value="320"/><height value="240"/></settings>
  <libraries><library file="EFFECTPACK.DLL"/></libraries>
  <resources>
    <logo type="texture" name="logo">
      <param name="filename" type="string" value="GFX\LOGO.PNG"/>
    </logo>
    <head type="texture" name="head">
      <param name="filename" type="string" value="gfx\T)"
                       "\xCA"
                       R"(TE.PNG"/>
    </head>
    <ship type="klutt" name="ship">
      <param name="filename" type="string" value="MESHES\SHIP.X"/>
    </ship>
    <tune type="raw" name="tune">
      <param name="filename" type="string" value="snd\tone.wav"/>
    </tune>
  </resources>
  <timeline>
    <clear type="clearscreen" start="0" end="1000"/>
    <music type="fmod" start="0" end="1000">
      <param name="filename" type="string" value="SND\TONE.WAV"/>
    </music>
    <left type="showimage" start="0" end="1000" layer="1">
      <param name="texture" type="string" value="logo"/>
      <param name="x" type="float" value="-240"/>
      <param name="y" type="float" value="180"/>
    </left>
    <right type="showimage" start="0" end="1000" layer="1">
      <param name="texture" type="string" value="head"/>
      <param name="x" type="float" value="240"/>
      <param name="y" type="float" value="180"/>
    </right>
    <viewer type="kluttviewer" start="0" end="1000" layer="2">
      <param name="mesh" type="string" value="ship"/>
      <param name="culling" type="long" value="1"/>
      <param name="light" type="long" value="0"/>
    </viewer>
  </timeline>
</demo>
)";

class WindowsDemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    for (const char* folder : {"Gfx", "Meshes", "Textures", "Snd"}) {
      std::filesystem::create_directory(dir_.File(folder));
    }
    auto solid = [this](const std::string& name, uint32_t argb) {
      ASSERT_TRUE(
          vexil::test::WritePng(dir_.File(name), 32, 32, [argb](int, int) { return argb; }));
    };
    solid("Gfx/Logo.png", kRed);
    solid("Gfx/T\xC3\xAAte.png", kBlue);
    solid("Textures/Hull.png", kGreen);
    solid("Meshes/Deck.png", kYellow);
    ASSERT_TRUE(vexil::test::WriteFile(dir_.File("Meshes/Ship.x"), Crlf(kMesh)));
    // One second of a ramp, loud enough to tell from silence.
    ASSERT_TRUE(vexil::test::WriteFile(dir_.File("Snd/Tone.wav"), hostile::Wav(22050, 1, 22050)));
    ASSERT_TRUE(vexil::test::WriteFile(dir_.File("demo.xml"), Crlf(kScript)));
  }

  static constexpr uint32_t kRed = 0xFFE02020u;
  static constexpr uint32_t kBlue = 0xFF2020E0u;
  static constexpr uint32_t kGreen = 0xFF20E020u;
  static constexpr uint32_t kYellow = 0xFFE0E020u;
  vexil::test::ScratchDir dir_;
};

TEST_F(WindowsDemoTest, PlaysWithoutRenamingAFile) {
  const RunResult run =
      vexil::test::RunPlayer({"--capture", "out", "--fps", "10", "demo.xml"}, dir_.path());
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(std::string::npos, run.err.find("cannot")) << run.err;
  EXPECT_NE(std::string::npos,
            run.err.find("\"C:\\Art\\Ship\\DECK.PNG\" is an absolute Windows path"))
      << "the mesh's Windows path is noted on stderr:\n"
      << run.err;

  const Picture frame = vexil::test::LoadPng(dir_.File("out/frame-000005.png"));
  ASSERT_TRUE(frame.ok());
  // Pictures 32 virtual pixels wide at (-240, 180) and (240, 180) of the 640 x 480 screen.
  auto near = [&frame](uint32_t argb, int x, int y) {
    const vexil::test::Rgba expected{static_cast<int>((argb >> 16) & 0xFF),
                                     static_cast<int>((argb >> 8) & 0xFF),
                                     static_cast<int>(argb & 0xFF), 255};
    return vexil::test::RgbNear(expected, frame.At(x, y), 6);
  };
  EXPECT_TRUE(near(kRed, 40, 30)) << "GFX\\LOGO.PNG is Gfx/Logo.png";
  EXPECT_TRUE(near(kBlue, 280, 30)) << "the Windows-1252 name finds T\xC3\xAAte.png";
  // The square spans 25 of the 41.4 units the camera sees above the centre at 100 units.
  EXPECT_TRUE(near(kGreen, 124, 84)) << "TEXTURES\\\\HULL.PNG";
  EXPECT_TRUE(near(kYellow, 196, 156)) << "C:\\Art\\Ship\\DECK.PNG beside the mesh";
  EXPECT_TRUE(near(0xFF000000u, 160, 220)) << "the clear colour below the square";

  EXPECT_GT(Loudest(vexil::test::ReadFile(dir_.File("out/audio.wav"))), 8000)
      << "SND\\TONE.WAV plays";
}

TEST_F(WindowsDemoTest, TheCheckSaysWhatItGuessed) {
  const RunResult run = vexil::test::RunPlayer({"--check", "demo.xml"}, dir_.path());
  for (const char* text : {
           "note: file \"GFX\\LOGO.PNG\" is taken to be \"Gfx/Logo.png\"",
           "note: file \"MESHES\\SHIP.X\" is taken to be \"Meshes/Ship.x\"",
           "note: file \"snd\\tone.wav\" is taken to be \"Snd/Tone.wav\"",
           "note: file \"SND\\TONE.WAV\" is taken to be \"Snd/Tone.wav\"",
           "note: texture file \"TEXTURES\\\\HULL.PNG\" of mesh \"MESHES\\SHIP.X\" is taken to be "
           "\"Textures/Hull.png\"",
           "texture file \"C:\\Art\\Ship\\DECK.PNG\" of mesh \"MESHES\\SHIP.X\" is an absolute "
           "Windows path, which names no file here; the player uses \"Meshes/Deck.png\" instead",
       }) {
    EXPECT_NE(std::string::npos, run.out.find(text)) << "expected: " << text << "\n" << run.out;
  }
  EXPECT_EQ(std::string::npos, run.out.find("does not exist")) << run.out;
  EXPECT_EQ(1, run.status) << "the absolute Windows path is a finding; the guesses are notes";

  // Without it, what remains are notes, and the check passes.
  std::string mesh = kMesh;
  const std::string windowsPath = "C:\\Art\\Ship\\DECK.PNG";
  mesh.replace(mesh.find(windowsPath), windowsPath.size(), "meshes\\deck.png");
  ASSERT_TRUE(vexil::test::WriteFile(dir_.File("Meshes/Ship.x"), Crlf(mesh)));
  const RunResult clean = vexil::test::RunPlayer({"--check", "demo.xml"}, dir_.path());
  EXPECT_EQ(0, clean.status) << clean.out << clean.err;
  EXPECT_NE(std::string::npos, clean.out.find("note: ")) << clean.out;
}

TEST_F(WindowsDemoTest, TheCheckWarnsOfNamesEqualButForCase) {
  ASSERT_TRUE(vexil::test::WriteFile(dir_.File("Gfx/LOGO.png"), "another picture"));
  const RunResult run = vexil::test::RunPlayer({"--check", "demo.xml"}, dir_.path());
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos,
            run.out.find("file \"GFX\\LOGO.PNG\": \"LOGO.png\", \"Logo.png\" in \"Gfx\" differ "
                         "only in letter case; the player takes \"LOGO.png\", the first in byte "
                         "order"))
      << run.out;
}

}  // namespace

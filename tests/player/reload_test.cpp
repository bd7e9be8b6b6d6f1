// Rebuilding a demo on the running device, as edit mode does on every save: a few hundred
// rebuilds leave no device object, plug-in object or sound stream behind and keep the heap
// flat (the sanitizer run of the unit tests checks it for leaks as well), a broken save is told
// apart from a good one with the reason, and the files a demo names are found for watching.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>  // defines __GLIBC__ where the C library is glibc
#include <fstream>
#include <string>
#include <vector>

#include "d3d9/d3d9_reuse.h"
#include "edit/demo_builder.h"
#include "fsound/fsound.h"
#include "support/picture.h"
#include "support/scratch_dir.h"
#include "support/test_device.h"
#include "timeline/module.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace vexil {
namespace {

// Bytes the heap hands out now, or 0 where that cannot be told (another C library, or a
// sanitizer's allocator, which glibc's counters do not see).
size_t HeapInUse() {
#if defined(__GLIBC__)
  const struct mallinfo2 heap = mallinfo2();
  return heap.uordblks + heap.hblkhd;
#else
  return 0;
#endif
}

constexpr int kWidth = 64;
constexpr int kHeight = 48;

std::string Param(const char* name, const std::string& value) {
  return std::string("<param name=\"") + name + "\" type=\"string\" value=\"" + value + "\"/>";
}

// A demo that touches every kind of thing a reload rebuilds: a picture, a font, music, modules.
std::string Script(const std::string& picture) {
  return "<demo name=\"reload\"><settings><width value=\"64\"/><height value=\"48\"/>"
         "</settings><libraries><l file=\"effectpack.dll\"/></libraries><resources>"
         "<texture type=\"texture\" name=\"pic\">" +
         Param("filename", picture) + "</texture><raw type=\"raw\" name=\"song\">" +
         Param("filename", "song.wav") +
         "</raw></resources><timeline>"
         "<a type=\"clearscreen\" start=\"0\" end=\"5000\" layer=\"0\"/>"
         "<b type=\"showimage\" start=\"0\" end=\"5000\" layer=\"1\">" +
         Param("texture", "pic") + "</b><c type=\"text\" start=\"1000\" end=\"5000\" layer=\"2\">" +
         Param("text", "hello") + "</c><d type=\"fmod\" start=\"0\" end=\"5000\">" +
         Param("filename", "song") + Param("loadfrom", "memory") + "</d></timeline></demo>";
}

// A short silent WAV: 16-bit stereo at 44100 Hz.
void WriteSilentWav(const std::string& path, int frames) {
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4);
  u32(36 + frames * 4);
  out.write("WAVEfmt ", 8);
  u32(16);
  u16(1);
  u16(2);
  u32(44100);
  u32(44100 * 4);
  u16(4);
  u16(16);
  out.write("data", 4);
  u32(frames * 4);
  const std::vector<char> silence(static_cast<size_t>(frames) * 4, 0);
  out.write(silence.data(), static_cast<std::streamsize>(silence.size()));
}

class ReloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(scratch_.path().empty());
    // The music opens and decodes, without a sound device.
    FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND);
    ASSERT_TRUE(device_.ok());
    ASSERT_TRUE(test::WritePng(
        "pic.png", 16, 16, [](int x, int y) { return ((x + y) % 2) ? 0xFFFF8000u : 0xFF0080FFu; }));
    WriteSilentWav("song.wav", 4410);
    ASSERT_TRUE(test::WriteFile("demo.xml", Script("pic.png")));
  }
  void TearDown() override { FSOUND_SetOutput(-1); }

  DemoBuild Build() {
    return BuildDemo("demo.xml", ".", device_.d3d(), device_.device(), kWidth, kHeight);
  }

  test::ScratchDir scratch_{test::ScratchDir::kEnter};
  test::TestDevice device_{test::Backend::kNull, kWidth, kHeight};
};

TEST_F(ReloadTest, HundredsOfRebuildsLeaveNothingBehind) {
  const UINT before = VexilCountLiveResources(device_.device());
  std::unique_ptr<DemoParts> playing;
  UINT settled = 0;
  size_t heap_settled = 0;
  for (int i = 0; i < 300; ++i) {
    DemoBuild build = Build();
    ASSERT_TRUE(build.ok()) << "rebuild " << i << ": " << build.problems.front();
    // Play a few frames of it, as the edit loop does, then put it in place of the last one.
    for (float t : {0.0f, 1500.0f, 2500.0f}) {
      ASSERT_TRUE(build.demo->timeline.Render(t));
    }
    playing = std::move(build.demo);
    ASSERT_EQ(D3D_OK, VexilResetDeviceState(device_.device()));
    const UINT live = VexilCountLiveResources(device_.device());
    if (i == 1) settled = live;
    if (i == 49) heap_settled = HeapInUse();
    if (i > 1) {
      ASSERT_EQ(settled, live) << "device objects pile up at rebuild " << i;
    }
  }
  // A demo this small holds well under 1 MiB: 4 MiB more after 250 rebuilds is 16 KiB kept
  // per rebuild, which no cache of the same pictures, font and music should need.
  const size_t heap_now = HeapInUse();
  if (heap_settled > 0 && heap_now > 0) {
    EXPECT_LT(heap_now, heap_settled + (4u << 20))
        << "heap memory in use grew from " << heap_settled << " to " << heap_now
        << " bytes over 250 rebuilds";
  }
  EXPECT_EQ(4, playing->timeline.GetModuleCount());
  EXPECT_EQ(1, playing->widgetManager.GetLibraryCount() - 1) << "scenecore and effectpack";
  playing.reset();
  EXPECT_EQ(before, VexilCountLiveResources(device_.device()))
      << "freeing the last demo frees every device object it made";
  EXPECT_EQ(0, FSOUND_GetOutputRate()) << "the last music module closed the sound system";
}

TEST_F(ReloadTest, ABrokenSaveIsAProblemWithItsReason) {
  DemoBuild good = Build();
  ASSERT_TRUE(good.ok());

  ASSERT_TRUE(test::WriteFile("demo.xml", Script("missing.png")));
  DemoBuild missing = Build();
  EXPECT_FALSE(missing.ok());
  ASSERT_FALSE(missing.problems.empty());
  const bool named =
      std::any_of(missing.problems.begin(), missing.problems.end(),
                  [](const std::string& p) { return p.find("missing.png") != std::string::npos; });
  EXPECT_TRUE(named) << "the problem names the file: " << missing.problems.front();

  ASSERT_TRUE(test::WriteFile("demo.xml", "<demo name=\"x\">\n<settings>\n</demo>"));
  DemoBuild unparsed = Build();
  EXPECT_FALSE(unparsed.ok());
  EXPECT_EQ(nullptr, unparsed.demo) << "nothing is built from a script that does not parse";
  ASSERT_EQ(1u, unparsed.problems.size());
  EXPECT_NE(std::string::npos, unparsed.problems[0].find("line")) << unparsed.problems[0];

  EXPECT_TRUE(good.demo->timeline.Render(2000.0f)) << "the good demo still plays";
}

TEST_F(ReloadTest, UnknownTypesAreNotesNotProblems) {
  std::string script = Script("pic.png");
  script.insert(script.find("</timeline>"), "<e type=\"twistr\" start=\"0\" end=\"1\"/>");
  ASSERT_TRUE(test::WriteFile("demo.xml", script));
  DemoBuild build = Build();
  EXPECT_TRUE(build.ok());
  ASSERT_FALSE(build.notes.empty());
  EXPECT_NE(std::string::npos, build.notes[0].find("twistr")) << build.notes[0];
}

TEST_F(ReloadTest, TheDemoNamesItsFilesAndItsModulesByType) {
  DemoBuild build = Build();
  ASSERT_TRUE(build.ok());
  std::vector<std::string> files;
  std::vector<std::string> folders;
  build.demo->NamedFiles(&files, &folders);
  std::sort(files.begin(), files.end());
  EXPECT_EQ((std::vector<std::string>{"pic.png", "song.wav"}), files);
  std::vector<std::string> types;
  for (int i = 0; i < build.demo->timeline.GetModuleCount(); ++i) {
    types.push_back(build.demo->ModuleType(build.demo->timeline.GetModule(i)));
  }
  EXPECT_EQ((std::vector<std::string>{"clearscreen", "fmod", "showimage", "text"}), types)
      << "in render order: by layer, then in script order";
}

}  // namespace
}  // namespace vexil

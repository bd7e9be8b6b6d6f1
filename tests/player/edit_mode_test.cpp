// Edit mode in a real window on the offscreen driver, driven by key presses posted through the
// platform layer while it runs: it starts at --start, pauses and seeks, reloads a saved script at
// the same demo time, keeps the last good demo through a broken save, and ends on Escape. The
// picture it draws over the demo (the overlay) is checked on the OpenGL device.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "edit/demo_builder.h"
#include "edit/edit_overlay.h"
#include "edit/edit_status.h"
#include "player_app.h"
#include "support/back_buffer.h"
#include "support/picture.h"
#include "support/scratch_dir.h"
#include "support/test_device.h"
#include "system/events.h"
#include "system/keys.h"

namespace {

using Clock = std::chrono::steady_clock;

class EditModeTest : public ::testing::Test {
 protected:
  std::string Script(const std::string& log) const {
    return "<demo name=\"edit\"><settings><width value=\"64\"/><height value=\"48\"/>"
           "</settings><libraries><l file=\"vexil_e2e_modules.dll\"/></libraries><timeline>"
           "<m type=\"timelog\" start=\"0\" end=\"60000\"><param name=\"file\" type=\"string\" "
           "value=\"" +
           dir_.File(log) + "\"/></m></timeline></demo>";
  }
  std::vector<float> Logged(const std::string& log) const {
    std::vector<float> times;
    std::ifstream in(dir_.File(log));
    for (float t; in >> t;) times.push_back(t);
    return times;
  }
  // Waits up to 20 s for `done`; the first frame compiles programs on a loaded machine.
  static bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!done()) {
      if (Clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  vexil::test::ScratchDir dir_;
};

TEST_F(EditModeTest, KeysMoveTheDemoAndSavesReloadItAtTheSameTime) {
  const std::string path = dir_.File("demo.xml");
  std::ofstream(path) << Script("a.txt");
  vexil::PlayerOptions options;
  options.mode = vexil::PlayerMode::kEdit;
  options.has_start = true;
  options.start_ms = 5000.0;

  std::vector<float> first;
  float paused_at = 0.0f;
  float sought = 0.0f;
  float last_a = 0.0f;
  std::vector<float> reloaded;
  bool kept = false;
  std::thread hands([&] {
    // Every step below waits for what it expects; on a failure the rest is skipped and Escape
    // still ends the player.
    auto steps = [&]() -> bool {
      if (!WaitFor([&] { return Logged("a.txt").size() >= 3; })) return false;
      first = Logged("a.txt");
      vexil::sys::PostKeyPress('P');
      if (!WaitFor([&] {
            const auto t = Logged("a.txt");
            return t.size() >= 3 && t[t.size() - 1] == t[t.size() - 3];
          })) {
        return false;
      }
      paused_at = Logged("a.txt").back();
      vexil::sys::PostKeyPress(vexil::sys::kVkRight);
      if (!WaitFor([&] { return Logged("a.txt").back() != paused_at; })) return false;
      sought = Logged("a.txt").back();
      vexil::sys::PostKeyPress('P');
      if (!WaitFor([&] { return Logged("a.txt").back() > sought; })) return false;
      // A save: the module now logs elsewhere, so the rebuilt demo's frames are told apart.
      std::ofstream(path) << Script("b.txt");
      if (!WaitFor([&] { return Logged("b.txt").size() >= 3; })) return false;
      last_a = Logged("a.txt").back();
      reloaded = Logged("b.txt");
      // A broken save: the last good demo plays on.
      std::ofstream(path) << "<demo name=\"edit\"><settings>";
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
      const size_t before = Logged("b.txt").size();
      kept = WaitFor([&] { return Logged("b.txt").size() > before + 3; });
      return true;
    };
    steps();
    vexil::sys::PostKeyPress(vexil::sys::kVkEscape);
  });
  int status = -1;
  {
    options.script_path = path;
    CPlayerApp app(options);
    status = app.Run();
  }
  hands.join();

  EXPECT_EQ(0, status);
  ASSERT_FALSE(first.empty()) << "edit mode never drew a frame";
  EXPECT_GE(first.front(), 5000.0f) << "--start moves the first frame";
  EXPECT_LT(first.front(), 5000.0f + 3000.0f);
  ASSERT_GT(paused_at, 0.0f) << "pausing never held the time";
  EXPECT_FLOAT_EQ(paused_at + 1000.0f, sought) << "Right seeks 1 s, and paused it stays there";
  ASSERT_FALSE(reloaded.empty()) << "the saved script was not reloaded";
  EXPECT_NEAR(last_a, reloaded.front(), 500.0f) << "the rebuilt demo plays on at the same time";
  EXPECT_TRUE(kept) << "a broken save stopped the last good demo";
}

TEST_F(EditModeTest, AFolderRenamedAwayIsWatchedAgainWhenTheScriptReturns) {
  std::filesystem::create_directories(dir_.File("demo"));
  const std::string path = dir_.File("demo/demo.xml");
  std::ofstream(path) << Script("a.txt");
  vexil::PlayerOptions options;
  options.mode = vexil::PlayerMode::kEdit;
  bool played = false;
  bool moved_save_ignored = false;
  bool resumed = false;
  std::thread hands([&] {
    auto steps = [&]() -> bool {
      if (!(played = WaitFor([&] { return Logged("a.txt").size() >= 3; }))) return false;
      std::filesystem::rename(dir_.File("demo"), dir_.File("moved"));
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
      // A save into the moved folder is not the demo being played: nothing reloads.
      std::ofstream(dir_.File("moved/demo.xml")) << Script("c.txt");
      std::this_thread::sleep_for(std::chrono::milliseconds(600));
      moved_save_ignored = Logged("c.txt").empty();
      // The script back under its name, in a new folder: watched and played again.
      std::filesystem::create_directories(dir_.File("demo"));
      std::ofstream(path) << Script("b.txt");
      resumed = WaitFor([&] { return Logged("b.txt").size() >= 3; });
      return true;
    };
    steps();
    vexil::sys::PostKeyPress(vexil::sys::kVkEscape);
  });
  int status = -1;
  {
    options.script_path = path;
    CPlayerApp app(options);
    status = app.Run();
  }
  hands.join();
  EXPECT_EQ(0, status);
  ASSERT_TRUE(played) << "edit mode never drew a frame";
  EXPECT_TRUE(moved_save_ignored);
  EXPECT_TRUE(resumed) << "the returned script was not watched again";
}

// A demo built with the effect library: a dark blue clear, an orange and blue checker picture,
// a text from 1 s on and a picture that only begins at 3 s.
std::string OverlayDemo() {
  auto param = [](const char* name, const char* value) {
    return std::string("<param name=\"") + name + "\" type=\"string\" value=\"" + value + "\"/>";
  };
  return "<demo name=\"overlay\"><settings><width value=\"400\"/><height value=\"300\"/>"
         "</settings><libraries><l file=\"effectpack.dll\"/></libraries><resources>"
         "<texture type=\"texture\" name=\"pic\">" +
         param("filename", "pic.png") +
         "</texture></resources><timeline>"
         "<a type=\"clearscreen\" start=\"0\" end=\"5000\" layer=\"0\">"
         "<param name=\"color\" type=\"color\" value=\"#FF203050\"/></a>"
         "<b type=\"showimage\" start=\"0\" end=\"5000\" layer=\"1\">" +
         param("texture", "pic") + "</b><c type=\"text\" start=\"1000\" end=\"5000\" layer=\"2\">" +
         param("text", "hello") +
         "</c><d type=\"showimage\" start=\"3000\" end=\"5000\" layer=\"3\"/>"
         "</timeline></demo>";
}

using vexil::test::ReadBackBuffer;

class EditOverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(gl_.ok());
    // The demo's files are named relative to the working folder, as the player runs them.
    ASSERT_TRUE(vexil::test::WritePng("pic.png", 64, 64, [](int x, int y) {
      return ((x / 8 + y / 8) % 2) ? 0xFFFF8000u : 0xFF0080FFu;
    }));
    ASSERT_TRUE(vexil::test::WriteFile("demo.xml", OverlayDemo()));
    build_ = vexil::BuildDemo("demo.xml", ".", gl_.d3d(), gl_.device(), 400, 300);
    ASSERT_TRUE(build_.ok()) << (build_.problems.empty() ? "" : build_.problems.front());
  }

  vexil::test::ScratchDir dir_{vexil::test::ScratchDir::kEnter};
  vexil::test::TestDevice gl_{vexil::test::Backend::kGl, 400, 300};
  vexil::DemoBuild build_;
};

TEST_F(EditOverlayTest, StatusNamesTheActiveModulesWithTheirLocalTimes) {
  vexil::EditStatus status;
  status.time_ms = 1000.0;
  status.frame_rate = 59.6;
  status.music_clock = true;
  status.loop.has_in = true;
  status.loop.in_ms = 500.0;
  const std::vector<vexil::OverlayLine> lines = vexil::StatusLines(status, *build_.demo);
  std::vector<std::string> text;
  for (const auto& line : lines) text.push_back(line.text);
  ASSERT_EQ(5u, text.size()) << "time, loop, and the three modules active at 1 s";
  EXPECT_EQ("0:01.000    60 fps  playing  music clock", text[0]);
  EXPECT_EQ("loop 0:00.500 .. -  (not active)", text[1]);
  EXPECT_EQ("a (clearscreen) :1         0:01.000  layer 0", text[2]);
  EXPECT_EQ("b (showimage) :1           0:01.000  layer 1", text[3]);
  EXPECT_EQ("c (text) :1                0:00.000  layer 2", text[4])
      << "its start counts as active";

  status.time_ms = 3500.0;
  status.paused = true;
  status.music_clock = false;
  status.loop.has_out = true;
  status.loop.out_ms = 4000.0;
  text.clear();
  for (const auto& line : vexil::StatusLines(status, *build_.demo)) text.push_back(line.text);
  ASSERT_EQ(6u, text.size());
  EXPECT_EQ("0:03.500    60 fps  paused  wall clock", text[0]);
  EXPECT_EQ("loop 0:00.500 .. 0:04.000", text[1]);
  EXPECT_EQ("d (showimage) :1           0:00.500  layer 3", text[5]);
}

// The overlay over a frame of the demo on the OpenGL device: light text at the top left, a red
// error and a yellow note on a dark box at the bottom, wrapped within the window, and the demo's
// own picture untouched everywhere else. The frame is kept as overlay.png in the test's folder
// (VEXIL_KEEP_TEST_FILES=1) for a look.
TEST_F(EditOverlayTest, DrawsOverTheDemosPictureInTheLayersFont) {
  IDirect3DDevice9* device = gl_.device();
  CTimeline& timeline = build_.demo->timeline;
  ASSERT_TRUE(timeline.Draw(1500.0f));
  const vexil::test::Picture plain = ReadBackBuffer(device);
  ASSERT_TRUE(plain.ok());

  ASSERT_TRUE(timeline.Draw(1500.0f));
  vexil::EditStatus status;
  status.time_ms = 1500.0;
  status.frame_rate = 60.0;
  {
    vexil::EditOverlay overlay(device);
    overlay.Draw(vexil::StatusLines(status, *build_.demo),
                 vexil::MessageLines({"texture resource \"pic\": cannot load "
                                      "\"textures/a-long-name-for-a-picture.png\": file not found"},
                                     {"line 9: no library has the type \"twistr\""}),
                 plain.width, plain.height);
  }
  const vexil::test::Picture shown = ReadBackBuffer(device);
  ASSERT_TRUE(shown.ok());
  EXPECT_TRUE(vexil::test::WritePng("overlay.png", shown.rgba, shown.width, shown.height));

  // Five status lines from the top, five wrapped message lines from the bottom.
  const int block = 110;
  int white = 0, red = 0, yellow = 0, changed_between = 0, changed_at_edge = 0;
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      const vexil::test::Rgba p = shown.At(x, y);
      const bool changed = shown.Rgb(x, y) != plain.Rgb(x, y);
      if (y < block && p.r > 220 && p.g > 220 && p.b > 220) ++white;
      if (y >= shown.height - block && p.r > 200 && p.g < 120 && p.b < 120) ++red;
      if (y >= shown.height - 50 && p.r > 200 && p.g > 160 && p.b < 100) ++yellow;
      if (changed && y >= block && y < shown.height - block) ++changed_between;
      if (changed && x >= shown.width - 3 && p.r + p.g + p.b > 300) ++changed_at_edge;
    }
  }
  EXPECT_GT(white, 100) << "the status lines";
  EXPECT_GT(red, 100) << "the error lines";
  EXPECT_GT(yellow, 20) << "the note";
  EXPECT_EQ(0, changed_between) << "the overlay covers only its lines";
  EXPECT_EQ(0, changed_at_edge) << "long lines wrap before the right edge";
  EXPECT_EQ(0x181014u, shown.Rgb(shown.width - 2, shown.height - 2))
      << "the messages are on a dark box across the window";
  EXPECT_EQ(0x203050u, plain.Rgb(2, shown.height / 2)) << "the demo's clear colour at the left";
}

TEST(DemoTimeTest, ReadsAsMinutesSecondsAndMilliseconds) {
  EXPECT_EQ("0:00.000", vexil::FormatDemoTime(0.0));
  EXPECT_EQ("1:23.456", vexil::FormatDemoTime(83456.0));
  EXPECT_EQ("0:00.500", vexil::FormatDemoTime(499.6));
  EXPECT_EQ("-0:01.000", vexil::FormatDemoTime(-1000.0));
}

}  // namespace

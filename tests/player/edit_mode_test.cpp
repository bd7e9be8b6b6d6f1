// Edit mode in a real window on the offscreen driver, driven by key presses posted through the
// platform layer while it runs: it starts at --start, pauses and seeks, reloads a saved script at
// the same demo time, keeps the last good demo through a broken save, and ends on Escape. The
// picture it draws over the demo (the overlay) is checked on the OpenGL device.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "d3d9/d3d9_readback.h"
#include "edit_overlay.h"
#include "player_app.h"
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
    CPlayerApp app(path.c_str(), 0.0f, options);
    status = app.GetExitStatus();
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

// The overlay's lines drawn on the OpenGL device over black: light text at the top left, the
// error lines red at the bottom, nothing in between.
TEST(EditOverlayTest, DrawsTheLinesInTheLayersFont) {
  vexil::test::TestDevice gl(vexil::test::Backend::kGl, 320, 120);
  ASSERT_TRUE(gl.ok());
  IDirect3DDevice9* device = gl.device();
  ASSERT_EQ(D3D_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0));
  {
    vexil::EditOverlay overlay(device);
    overlay.Draw({{"1:23.456  60 fps", vexil::kOverlayText}},
                 {{"texture \"x.png\" not found", vexil::kOverlayError}}, 320, 120);
  }
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
  std::vector<uint8_t> rgba;
  UINT width = 0, height = 0;
  ASSERT_EQ(D3D_OK, VexilReadSurfaceRGBA(back, &rgba, &width, &height));
  back->Release();
  int white = 0, red = 0, middle = 0;
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const uint8_t* p = &rgba[(y * width + x) * 4];
      if (y < 30 && p[0] > 200 && p[1] > 200 && p[2] > 200) ++white;
      if (y > height - 30 && p[0] > 200 && p[1] < 120 && p[2] < 120) ++red;
      if (y > 40 && y < height - 40 && (p[0] | p[1] | p[2]) != 0) ++middle;
    }
  }
  EXPECT_GT(white, 50) << "the top line";
  EXPECT_GT(red, 50) << "the error line";
  EXPECT_EQ(0, middle);
}

TEST(EditOverlayTest, DemoTimesReadAsMinutesSecondsAndMilliseconds) {
  EXPECT_EQ("0:00.000", vexil::FormatDemoTime(0.0));
  EXPECT_EQ("1:23.456", vexil::FormatDemoTime(83456.0));
  EXPECT_EQ("0:00.500", vexil::FormatDemoTime(499.6));
  EXPECT_EQ("-0:01.000", vexil::FormatDemoTime(-1000.0));
}

}  // namespace

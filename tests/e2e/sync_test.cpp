// Musical time end to end: beat keys render as their millisecond twins, track files drive
// parameters by the evaluation rules, and `vexil --edit --sync` follows an editor double on
// 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../sync/editor_double.h"
#include "e2e_harness.h"
#include "params/synctrack.h"

namespace vexil_e2e {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// 120 beats a minute, 4 rows a beat: a beat is 500 ms, a row 125 ms.
const char kMusic[] =
    "<width value=\"64\"/><height value=\"48\"/><bpm value=\"120\"/>"
    "<rowsperbeat value=\"4\"/>";

using SyncTest = PlayerTest;

TEST_F(SyncTest, BeatKeysRenderTheFramesOfTheirMillisecondTwin) {
  auto script = [](const std::string& unit, const std::string& a, const std::string& b,
                   const std::string& c) {
    return Script(
        "<m type=\"fill\" start=\"250\" end=\"1500\"><param name=\"color\" type=\"linearcolor\">"
        "<key " +
            unit + "=\"" + a + "\" value=\"#FF000000\"/><key " + unit + "=\"" + b +
            "\" value=\"#FFFF8040\"/><key " + unit + "=\"" + c +
            "\" value=\"#FF00FF00\"/></param></m>",
        "", kMusic);
  };
  // Beat 0.5 is 250 ms: 0 ms into the module; beat 1.75 is 875 ms, 625 into it; beat 3 is 1500.
  Write("ms.xml", script("time", "0", "625", "1250"));
  Write("beats.xml", script("beat", "0.5", "1.75", "3"));
  ASSERT_EQ(0, Run({"--hashes", "golden.txt", "--fps", "20", "ms.xml"}).status);
  const RunResult run = Run({"--verify", "golden.txt", "beats.xml"});
  EXPECT_EQ(0, run.status) << run.out << run.err;
  EXPECT_TRUE(Contains(run.out, "frames and the music match")) << run.out;

  // And the script is clean for a check; without a tempo the beat is a finding.
  EXPECT_EQ(0, Run({"--check", "beats.xml"}).status);
  Write("nobpm.xml", Script("<m type=\"fill\" start=\"0\" end=\"100\"><param name=\"color\" "
                            "type=\"linearcolor\"><key beat=\"1\" value=\"#FFFFFFFF\"/></param>"
                            "</m>"));
  const RunResult check = Run({"--check", "nobpm.xml"});
  EXPECT_EQ(1, check.status);
  EXPECT_TRUE(Contains(check.out + check.err, "no usable \"bpm\"")) << check.out << check.err;
}

TEST_F(SyncTest, TrackFilesDriveParametersByTheRules) {
  auto track = [this](const std::string& name, const std::vector<SyncKey>& keys) {
    CSyncTrack t;
    t.SetKeys(keys);
    Write("sync_" + EncodeSyncTrackName(name) + ".track", EncodeSyncTrackFile(t));
  };
  // Red ramps 0 -> 1 over rows 0..8 (1 s) by t squared; green steps; blue smooths 1 -> 0.
  track("c.r", {{0, 0.0f, 3}, {8, 1.0f, 0}});
  track("c.g", {{0, 0.25f, 0}, {4, 0.75f, 0}});
  track("c.b", {{0, 1.0f, 2}, {8, 0.0f, 0}});
  Write("demo.xml", Script("<m type=\"fill\" start=\"0\" end=\"1500\"><param name=\"color\" "
                           "type=\"synccolor\" track=\"c\"/></m>",
                           "", kMusic));
  ASSERT_EQ(0, Run({"--capture", "out", "--fps", "4", "demo.xml"}).status);
  auto channel = [](double v) { return static_cast<uint32_t>(std::lround(v * 255.0)); };
  auto expected = [&](double row) {
    const double t = std::min(row / 8.0, 1.0);
    const double red = t * t;
    const double green = row < 4 ? 0.25 : 0.75;
    const double blue = 1.0 - t * t * (3.0 - 2.0 * t);
    return channel(red) << 16 | channel(green) << 8 | channel(blue);
  };
  for (int frame = 0; frame < 6; ++frame) {
    const Picture picture = Frame("out", frame);
    ASSERT_TRUE(picture.ok()) << frame;
    // A frame every 250 ms is two rows.
    const uint32_t want = expected(frame * 2.0);
    const uint32_t got = picture.Rgb(10, 10);
    for (int shift = 0; shift < 24; shift += 8) {
      EXPECT_NEAR(static_cast<int>((want >> shift) & 0xFF), static_cast<int>((got >> shift) & 0xFF),
                  1)
          << "frame " << frame << std::hex << " want " << want << " got " << got;
    }
  }
  // The alpha track is missing: a finding, not a failure.
  const RunResult check = Run({"--check", "demo.xml"});
  EXPECT_TRUE(Contains(check.out + check.err, "sync_c.a.track")) << check.out << check.err;
}

TEST_F(SyncTest, EditModeFollowsASyncTrackerEditor) {
  EditorDouble editor;
  ASSERT_NE(0, editor.Port());
  Write("demo.xml", Script("<m type=\"fill\" start=\"0\" end=\"600000\"><param name=\"color\" "
                           "type=\"synccolor\" track=\"c\"/></m>",
                           "", kMusic));
  std::atomic<bool> done{false};
  std::vector<std::string> names;
  std::vector<uint32_t> rows_playing;
  bool paused_still = false;
  bool closed_on_garbage = false;
  std::string saved;
  std::thread script([&] {
    auto rows = [&](int ms) {
      std::vector<uint32_t> got;
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
      while (std::chrono::steady_clock::now() < end) {
        if (!editor.WaitFor(5, 20)) continue;
        const std::string command = editor.Take(5);
        if (command[0] != 3) break;
        const auto* p = reinterpret_cast<const unsigned char*>(command.data());
        got.push_back(uint32_t{p[1]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 8 | p[4]);
      }
      return got;
    };
    if (editor.Accept(20000) && editor.Greet(5000)) {
      for (int i = 0; i < 4; ++i) names.push_back(editor.ReadGetTrack(5000));
      editor.Send(EditorDouble::SetKey(0, 0, 0.5f, 0) + EditorDouble::SetKey(0, 8, 1.0f, 1) +
                  EditorDouble::DeleteKey(0, 8) + EditorDouble::SetRow(800));
      rows(300);  // what was sent before the seek arrived
      rows_playing = rows(1500);
      editor.Send(EditorDouble::Pause(true));
      rows(400);
      paused_still = rows(600).empty();
      editor.Send(EditorDouble::SaveTracks());
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      while (saved.empty() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        saved = ReadFile(Path("sync_c.r.track"));
      }
      editor.Send(std::string(1, '\x09'));
      closed_on_garbage = editor.WaitForClose(5000);
    }
    done = true;
  });
  vexil::test::StopRequest stop{SIGTERM, [&] { return done.load(); }};
  vexil::test::RunLimits limits;
  limits.seconds = 60;
  const RunResult run = vexil::test::RunPlayer(
      {"--edit", "--sync", "127.0.0.1:" + std::to_string(editor.Port()), "demo.xml"}, dir_, limits,
      stop);
  script.join();

  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ((std::vector<std::string>{"c.r", "c.g", "c.b", "c.a"}), names);
  ASSERT_FALSE(rows_playing.empty()) << "the demo tells the rows it plays";
  EXPECT_GE(rows_playing.front(), 800u) << "it plays on from the row the editor set";
  EXPECT_LT(rows_playing.back(), 840u);
  EXPECT_GT(rows_playing.back(), rows_playing.front());
  EXPECT_TRUE(paused_still) << "paused, the row stands still";
  CSyncTrack expected;
  expected.SetKey({0, 0.5f, 0});
  EXPECT_EQ(EncodeSyncTrackFile(expected), saved) << "the saved file holds what the editor set";
  EXPECT_EQ(std::string(4, '\0'), ReadFile(Path("sync_c.a.track"))) << "an empty track";
  EXPECT_TRUE(closed_on_garbage) << "an unknown command drops the link";
  EXPECT_TRUE(Contains(run.err, "sync: connected to 127.0.0.1:")) << run.err;
  EXPECT_TRUE(Contains(run.err, "sync: saved 4 track files")) << run.err;
  EXPECT_TRUE(Contains(run.err, "unknown command byte 9")) << run.err;
}

}  // namespace
}  // namespace vexil_e2e

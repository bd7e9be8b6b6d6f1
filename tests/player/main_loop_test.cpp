// The real-time main loop on the offscreen video driver: the demo ends by itself after its
// last module, the limiter spaces frames, the start time moves the clock, Escape or a quit
// request end the loop before another frame is drawn, and a looping demo plays again.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "live_clock.h"
#include "player_app.h"
#include "support/scratch_dir.h"

namespace {

class MainLoopTest : public ::testing::Test {
 protected:
  // Plays the script at `path` as a person starts the player.
  static vexil::PlayerOptions Play(const std::string& path) {
    vexil::PlayerOptions options;
    options.script_path = path;
    return options;
  }
  // A demo whose only module logs its frame times from `start` to `end`.
  std::string WriteDemo(const std::string& settings, int start, int end) {
    const std::string path = dir_ + "/demo.xml";
    std::ofstream(path) << "<demo name=\"loop\"><settings><width value=\"64\"/>"
                           "<height value=\"48\"/>"
                        << settings
                        << "</settings><libraries><l file=\"vexil_e2e_modules.dll\"/>"
                           "</libraries><timeline><m type=\"timelog\" start=\""
                        << start << "\" end=\"" << end
                        << "\"><param name=\"file\" type=\"string\" value=\"" << LogPath()
                        << "\"/></m></timeline></demo>";
    return path;
  }
  std::string LogPath() const { return dir_ + "/times.txt"; }
  std::vector<float> LoggedTimes() const {
    std::vector<float> times;
    std::ifstream log(LogPath());
    for (float t; log >> t;) times.push_back(t);
    return times;
  }

  vexil::test::ScratchDir scratch_;
  const std::string& dir_ = scratch_.path();
};

TEST_F(MainLoopTest, TheDemoEndsAfterItsLastModule) {
  const std::string path = WriteDemo("", 0, 150);
  CPlayerApp app(Play(path));
  const int status = app.Run();
  EXPECT_EQ(0, status);
  EXPECT_GT(app.GetDemo().timeline.GetTime(), 150.0f) << "the loop ran until the timeline said no";
  const std::vector<float> times = LoggedTimes();
  ASSERT_FALSE(times.empty());
  EXPECT_LE(times.back(), 150.0f);
}

TEST_F(MainLoopTest, TheLimiterSpacesFramesByOneInterval) {
  // A second long: the first frame (window, programs compiled) can take a few hundred
  // milliseconds on a loaded machine, and the spacing needs frames after it.
  const std::string path = WriteDemo("<fpslimiter value=\"1\"/><framerate value=\"50\"/>", 0, 1000);
  CPlayerApp app(Play(path));
  app.Run();
  const std::vector<float> times = LoggedTimes();
  ASSERT_GE(times.size(), 2u);
  for (size_t i = 1; i < times.size(); ++i) {
    EXPECT_GE(times[i] - times[i - 1], 20.0f - 1e-3f) << "frames " << i - 1 << " and " << i;
  }
}

TEST_F(MainLoopTest, ALimiterWithoutAFrameRateDoesNotStopRendering) {
  const std::string path = WriteDemo("<fpslimiter value=\"1\"/><framerate value=\"0\"/>", 0, 100);
  CPlayerApp app(Play(path));
  app.Run();
  EXPECT_FALSE(LoggedTimes().empty());
  EXPECT_GT(app.GetDemo().timeline.GetTime(), 100.0f);
}

TEST_F(MainLoopTest, TheClockStartsAtTheStartTime) {
  const std::string path = WriteDemo("<starttime value=\"30000\"/>", 29000, 30100);
  CPlayerApp app(Play(path));
  app.Run();
  const std::vector<float> times = LoggedTimes();
  ASSERT_FALSE(times.empty());
  EXPECT_GE(times.front(), 30000.0f);
  EXPECT_LT(times.front(), 30100.0f);
}

TEST_F(MainLoopTest, TheStartOptionOutranksTheScriptsStartTime) {
  const std::string path = WriteDemo("<starttime value=\"1000\"/>", 0, 20100);
  vexil::PlayerOptions options;
  options.has_start = true;
  options.start_ms = 20000.0;
  options.script_path = path;
  CPlayerApp app(options);
  app.Run();
  const std::vector<float> times = LoggedTimes();
  ASSERT_FALSE(times.empty());
  EXPECT_GE(times.front(), 20000.0f) << "--start, not the script's 1000";
  EXPECT_LT(times.front(), 20100.0f);
}

class MainLoopEventTest : public MainLoopTest {
 protected:
  void SetUp() override {
    MainLoopTest::SetUp();
    ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_VIDEO)) << SDL_GetError();
  }
  void TearDown() override {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    MainLoopTest::TearDown();
  }
};

TEST_F(MainLoopEventTest, EscapeEndsTheDemoWithoutAnotherFrame) {
  SDL_Event escape{};
  escape.type = SDL_KEYDOWN;
  escape.key.state = SDL_PRESSED;
  escape.key.keysym.sym = SDLK_ESCAPE;
  escape.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
  ASSERT_EQ(1, SDL_PushEvent(&escape));
  const std::string path = WriteDemo("", 0, 60000);
  CPlayerApp app(Play(path));
  const int status = app.Run();
  EXPECT_EQ(0, status);
  EXPECT_EQ(0.0f, app.GetDemo().timeline.GetTime()) << "no frame was rendered";
}

TEST_F(MainLoopEventTest, AQuitRequestEndsTheDemo) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  ASSERT_EQ(1, SDL_PushEvent(&quit));
  const std::string path = WriteDemo("", 0, 60000);
  CPlayerApp app(Play(path));
  app.Run();
  EXPECT_EQ(0.0f, app.GetDemo().timeline.GetTime());
}

TEST(PlaybackTimeTest, StartsAgainFromTheStartTimeOnlyWhenLooping) {
  vexil::PlaybackTime once(500.0f, false);
  EXPECT_EQ(1700.0f, once.At(1200.0));
  EXPECT_FALSE(once.StartAgain(1200.0));
  EXPECT_EQ(1800.0f, once.At(1300.0)) << "without looping the time runs on";

  vexil::PlaybackTime looping(500.0f, true);
  ASSERT_TRUE(looping.StartAgain(1200.0));
  EXPECT_EQ(500.0f, looping.At(1200.0)) << "the round begins at the start time";
  EXPECT_EQ(600.0f, looping.At(1300.0));
  ASSERT_TRUE(looping.StartAgain(2000.0));
  EXPECT_EQ(550.0f, looping.At(2050.0));
}

// Counts the times the logged demo time went back: each is a new round of the demo.
int Restarts(const std::vector<float>& times) {
  int restarts = 0;
  for (size_t i = 1; i < times.size(); ++i) restarts += times[i] < times[i - 1] ? 1 : 0;
  return restarts;
}

TEST_F(MainLoopEventTest, ALoopingDemoPlaysAgainFromItsStartTimeUntilEscape) {
  const std::string path = WriteDemo("<starttime value=\"100\"/>", 0, 250);
  vexil::PlayerOptions options;
  options.loop = true;
  std::atomic<bool> finished{false};
  // Escape once the demo has begun again twice (or after a generous wait on a slow machine).
  std::thread escape([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!finished && std::chrono::steady_clock::now() < deadline &&
           Restarts(LoggedTimes()) < 2) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = SDLK_ESCAPE;
    key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&key);
  });
  options.script_path = path;
  CPlayerApp app(options);
  const int status = app.Run();
  finished = true;
  escape.join();
  EXPECT_EQ(0, status);
  const std::vector<float> times = LoggedTimes();
  EXPECT_GE(Restarts(times), 2) << "the demo of 100 to 250 ms played again";
  for (size_t i = 1; i < times.size(); ++i) {
    if (times[i] < times[i - 1]) {
      EXPECT_GE(times[i], 100.0f) << "a new round begins at the start time";
      EXPECT_LT(times[i], 250.0f);
    }
  }
}

}  // namespace

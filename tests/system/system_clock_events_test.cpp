// The millisecond clock, message boxes when headless, and the thread-priority report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "system/clock.h"
#include "system/desktop.h"
#include "system/message_box.h"
#include "system/video.h"

namespace {

TEST(Clock, CounterHasAFrequencyAndNeverRunsBackwards) {
  int64_t frequency = 0;
  ASSERT_TRUE(vexil::sys::QueryPerformanceFrequency(&frequency));
  EXPECT_GE(frequency, 1000) << "at least millisecond resolution";
  int64_t a = 0, b = 0;
  vexil::sys::QueryPerformanceCounter(&a);
  vexil::sys::QueryPerformanceCounter(&b);
  EXPECT_LE(a, b);
}

TEST(Clock, SleepLastsAtLeastTheAskedTimeOnTheCounter) {
  int64_t start = 0, end = 0;
  vexil::sys::QueryPerformanceCounter(&start);
  vexil::sys::SleepMilliseconds(20);
  vexil::sys::QueryPerformanceCounter(&end);
  EXPECT_GE(vexil::sys::CounterToMilliseconds(start, end), 19.5);
}

class Environment : public ::testing::Test {
 protected:
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.push_back({name, old ? std::string(old) : std::string(), old != nullptr});
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->had) {
        setenv(it->name.c_str(), it->value.c_str(), 1);
      } else {
        unsetenv(it->name.c_str());
      }
    }
  }

 private:
  struct Saved {
    std::string name, value;
    bool had;
  };
  std::vector<Saved> saved_;
};

TEST_F(Environment, HeadlessWhenTheDriverIsOffscreenOrNoDisplayIsNamed) {
  Set("DISPLAY", ":0");
  Set("SDL_VIDEODRIVER", "offscreen");
  EXPECT_TRUE(vexil::sys::IsHeadless());
  Set("SDL_VIDEODRIVER", "DUMMY");
  EXPECT_TRUE(vexil::sys::IsHeadless());
  Set("SDL_VIDEODRIVER", nullptr);
  EXPECT_FALSE(vexil::sys::IsHeadless());
  Set("DISPLAY", nullptr);
  Set("WAYLAND_DISPLAY", nullptr);
  EXPECT_TRUE(vexil::sys::IsHeadless());
  Set("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_FALSE(vexil::sys::IsHeadless());
}

TEST_F(Environment, HeadlessMessageBoxGoesToStderrOnly) {
  Set("SDL_VIDEODRIVER", "offscreen");
  ::testing::internal::CaptureStderr();
  vexil::sys::ShowMessageBox("VEXIL ERROR", "Error creating font", vexil::sys::MessageIcon::kError);
  EXPECT_EQ(1, MessageBoxA(nullptr, "Failed to set thread priority", "Error", MB_ICONHAND));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, err.find("VEXIL ERROR: Error creating font\n")) << err;
  EXPECT_NE(std::string::npos, err.find("Error: Failed to set thread priority\n")) << err;
}

TEST(ThreadPriority, FailureIsReportedAtMostOnce) {
  ::testing::internal::CaptureStderr();
  const bool first = vexil::sys::RaiseThreadPriority();
  const bool second = vexil::sys::RaiseThreadPriority();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(first, second);
  const size_t at = err.find("failed to set thread priority");
  if (first) {
    EXPECT_EQ(std::string::npos, at) << err;
  } else {
    ASSERT_NE(std::string::npos, at);
    EXPECT_EQ(std::string::npos, err.find("failed to set thread priority", at + 1)) << err;
  }
}

}  // namespace

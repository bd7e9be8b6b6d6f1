// Key state with GetAsyncKeyState's meaning: the injected source, the tracker, the SDL
// key map, and SDL key events reaching the platform keyboard through the event watch.
#include <SDL.h>
#include <gtest/gtest.h>

#include "system/events.h"
#include "system/keys.h"
#include "system/video.h"

namespace {

using vexil::sys::KeyTracker;

TEST(KeyTracker, PressIsReportedOnceAndDownWhileHeld) {
  KeyTracker keys;
  EXPECT_EQ(0, keys.Query(VK_F1));
  keys.OnKeyDown(VK_F1);
  EXPECT_EQ(static_cast<int16_t>(0x8001), keys.Query(VK_F1)) << "down and pressed since last";
  EXPECT_EQ(static_cast<int16_t>(0x8000), keys.Query(VK_F1)) << "still down, no new press";
  keys.OnKeyUp(VK_F1);
  EXPECT_EQ(0, keys.Query(VK_F1));
}

TEST(KeyTracker, TapBetweenQueriesStillCountsAndKeysAreIndependent) {
  KeyTracker keys;
  keys.Tap(VK_SPACE);
  keys.Tap(VK_F5);
  EXPECT_EQ(1, keys.Query(VK_SPACE) & 1);
  EXPECT_EQ(0, keys.Query(VK_SPACE) & 1);
  EXPECT_EQ(1, keys.Query(VK_F5) & 1) << "querying Space must not clear F5";
  EXPECT_EQ(0, keys.Query(VK_F2));
}

TEST(KeyTracker, AutoRepeatIsNotANewPress) {
  KeyTracker keys;
  keys.OnKeyDown(VK_RETURN);
  EXPECT_EQ(1, keys.Query(VK_RETURN) & 1);
  keys.OnKeyDown(VK_RETURN, /*repeat=*/true);
  EXPECT_EQ(0, keys.Query(VK_RETURN) & 1);
}

TEST(KeyTracker, OutOfRangeCodesAreIgnored) {
  KeyTracker keys;
  keys.OnKeyDown(0);
  keys.OnKeyDown(-3);
  keys.OnKeyDown(256);
  EXPECT_EQ(0, keys.Query(-3));
  EXPECT_EQ(0, keys.Query(256));
  EXPECT_EQ(0, keys.Query(0));
}

TEST(KeySource, InjectedSourceAnswersGetAsyncKeyStateUntilRemoved) {
  KeyTracker fake;
  EXPECT_EQ(nullptr, vexil::sys::SetKeySource(&fake));
  fake.Tap(VK_F8);
  EXPECT_EQ(1, GetAsyncKeyState(VK_F8) & 1);
  EXPECT_EQ(0, GetAsyncKeyState(VK_F8) & 1);
  EXPECT_EQ(&fake, vexil::sys::SetKeySource(nullptr));
}

TEST(KeyMap, SdlKeysMapToWin32VirtualKeys) {
  using vexil::sys::VirtualKeyFromSdlKeycode;
  EXPECT_EQ(VK_SPACE, VirtualKeyFromSdlKeycode(SDLK_SPACE));
  EXPECT_EQ(VK_F1, VirtualKeyFromSdlKeycode(SDLK_F1));
  EXPECT_EQ(VK_F8, VirtualKeyFromSdlKeycode(SDLK_F8));
  EXPECT_EQ(VK_F12, VirtualKeyFromSdlKeycode(SDLK_F12));
  EXPECT_EQ(VK_RETURN, VirtualKeyFromSdlKeycode(SDLK_RETURN));
  EXPECT_EQ(VK_RETURN, VirtualKeyFromSdlKeycode(SDLK_KP_ENTER));
  EXPECT_EQ(VK_ESCAPE, VirtualKeyFromSdlKeycode(SDLK_ESCAPE));
  EXPECT_EQ('A', VirtualKeyFromSdlKeycode(SDLK_a));
  EXPECT_EQ('Z', VirtualKeyFromSdlKeycode(SDLK_z));
  EXPECT_EQ('7', VirtualKeyFromSdlKeycode(SDLK_7));
  EXPECT_EQ(VK_LEFT, VirtualKeyFromSdlKeycode(SDLK_LEFT));
  EXPECT_EQ(0, VirtualKeyFromSdlKeycode(SDLK_CAPSLOCK));
}

SDL_Event KeyEvent(Uint32 type, SDL_Keycode key, bool repeat = false) {
  SDL_Event e{};
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.sym = key;
  return e;
}

class PlatformKeyboard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(vexil::sys::InitVideo(nullptr)) << SDL_GetError(); }
  void TearDown() override { vexil::sys::QuitVideo(); }
};

TEST_F(PlatformKeyboard, KeyEventsReachGetAsyncKeyStateWhoeverDrainsTheQueue) {
  while (GetAsyncKeyState(VK_F3) != 0) {
  }
  SDL_Event down = KeyEvent(SDL_KEYDOWN, SDLK_F3);
  SDL_Event up = KeyEvent(SDL_KEYUP, SDLK_F3);
  SDL_PushEvent(&down);
  SDL_PushEvent(&up);
  // Drained by plain SDL, as a third-party widget library would do.
  SDL_Event ignored;
  while (SDL_PollEvent(&ignored)) {
  }
  EXPECT_EQ(1, GetAsyncKeyState(VK_F3)) << "pressed since the last query, no longer down";
  EXPECT_EQ(0, GetAsyncKeyState(VK_F3));
}

TEST_F(PlatformKeyboard, PumpReportsEscapeAndQuit) {
  SDL_Event esc = KeyEvent(SDL_KEYDOWN, SDLK_ESCAPE);
  SDL_PushEvent(&esc);
  vexil::sys::PumpResult pumped = vexil::sys::PumpEvents();
  EXPECT_TRUE(pumped.escape_pressed);
  EXPECT_FALSE(pumped.quit_requested);

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  vexil::sys::Event event;
  ASSERT_TRUE(vexil::sys::PollEvent(&event));
  EXPECT_EQ(vexil::sys::EventKind::kQuit, event.kind);
  EXPECT_FALSE(vexil::sys::PollEvent(&event)) << "the queue is empty, nothing waits";
}

TEST_F(PlatformKeyboard, PolledKeyEventCarriesTheVirtualKey) {
  SDL_Event down = KeyEvent(SDL_KEYDOWN, SDLK_SPACE, /*repeat=*/true);
  SDL_PushEvent(&down);
  vexil::sys::Event event;
  ASSERT_TRUE(vexil::sys::PollEvent(&event));
  EXPECT_EQ(vexil::sys::EventKind::kKeyDown, event.kind);
  EXPECT_EQ(VK_SPACE, event.virtual_key);
  EXPECT_TRUE(event.repeat);
}

}  // namespace

// The real setup dialog on the offscreen video driver, answered with synthetic keys:
// Enter runs, Escape and closing cancel, Alt+F flips the Fullscreen box.
#include "setup/setup_dialog.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"
#include "system/video.h"

namespace {

class SetupDialogWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(vexil::sys::InitVideo(nullptr)) << SDL_GetError();
    const D3DDISPLAYMODE modes[] = {{640, 480, 60, D3DFMT_X8R8G8B8},
                                    {800, 600, 60, D3DFMT_X8R8G8B8},
                                    {1024, 768, 75, D3DFMT_X8R8G8B8}};
    d3d_ = VexilCreateNullDirect3D9Ex(modes, 3, nullptr);
    ASSERT_NE(nullptr, d3d_);
  }
  void TearDown() override {
    if (d3d_) d3d_->Release();
    vexil::sys::QuitVideo();
  }

  static void PushKey(SDL_Keycode key, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
  }

  IDirect3D9* d3d_ = nullptr;
};

TEST_F(SetupDialogWindow, EnterRunsWithThePreselectedMode) {
  CSetupDialog dialog("Window Test", 800, 600, 60, /*fullscreen=*/true, d3d_);
  dialog.SetShowWhenHeadless(true);
  PushKey(SDLK_RETURN);
  ASSERT_TRUE(dialog.Run());
  EXPECT_TRUE(dialog.WasShown());
  EXPECT_EQ(800u, dialog.GetChosenMode().width);
  EXPECT_EQ(600u, dialog.GetChosenMode().height);
  EXPECT_EQ(60u, dialog.GetChosenMode().refresh_rate);
  EXPECT_TRUE(dialog.GetFullscreen());
  EXPECT_FALSE(dialog.GetLoop());
}

Uint32 SDLCALL PressEnterLater(Uint32, void*) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = SDLK_RETURN;
  SDL_PushEvent(&e);
  return 0;
}

TEST_F(SetupDialogWindow, DrawsFramesWhileWaitingForTheUser) {
  // The answer arrives only after the dialog has drawn through ImGui's OpenGL backend.
  ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_TIMER));
  CSetupDialog dialog("A demo name that is rather long for the caption of a small dialog", 640, 480,
                      60, false, d3d_);
  dialog.SetShowWhenHeadless(true);
  const SDL_TimerID timer = SDL_AddTimer(400, PressEnterLater, nullptr);
  ASSERT_NE(0, timer);
  ASSERT_TRUE(dialog.Run());
  EXPECT_EQ(640u, dialog.GetChosenMode().width);
  SDL_QuitSubSystem(SDL_INIT_TIMER);
}

TEST_F(SetupDialogWindow, AltShortcutsToggleTheBoxes) {
  CSetupDialog dialog("Window Test", 1024, 768, 75, /*fullscreen=*/true, d3d_);
  dialog.SetShowWhenHeadless(true);
  PushKey(SDLK_f, KMOD_LALT);
  PushKey(SDLK_l, KMOD_LALT);
  PushKey(SDLK_r, KMOD_LALT);
  ASSERT_TRUE(dialog.Run());
  EXPECT_FALSE(dialog.GetFullscreen()) << "unchecked before Run: a windowed display";
  EXPECT_TRUE(dialog.GetLoop());
  EXPECT_EQ(75u, dialog.GetChosenMode().refresh_rate) << "the player's framerate becomes 75";
}

TEST_F(SetupDialogWindow, EscapeAndClosingCancel) {
  {
    CSetupDialog dialog("Window Test", 800, 600, 60, false, d3d_);
    dialog.SetShowWhenHeadless(true);
    PushKey(SDLK_ESCAPE);
    EXPECT_FALSE(dialog.Run());
  }
  {
    CSetupDialog dialog("Window Test", 800, 600, 60, false, d3d_);
    dialog.SetShowWhenHeadless(true);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(dialog.Run());
  }
}

TEST_F(SetupDialogWindow, EnterDoesNothingWithoutModesSoOnlyCancelLeaves) {
  CSetupDialog dialog("No Modes", 800, 600, 60, false, nullptr);
  dialog.SetShowWhenHeadless(true);
  PushKey(SDLK_RETURN);
  PushKey(SDLK_ESCAPE);
  EXPECT_FALSE(dialog.Run());
  EXPECT_TRUE(dialog.WasShown());
}

TEST(SetupDialogHeadless, KeepsTheScriptSettingsWithoutShowingAnything) {
  // SDL_VIDEODRIVER=offscreen: nobody could answer a dialog.
  CSetupDialog dialog("Headless", 1280, 720, 50, true, nullptr);
  ::testing::internal::CaptureStderr();
  ASSERT_TRUE(dialog.Run());
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(dialog.WasShown());
  EXPECT_EQ(1280u, dialog.GetChosenMode().width);
  EXPECT_EQ(720u, dialog.GetChosenMode().height);
  EXPECT_EQ(50u, dialog.GetChosenMode().refresh_rate);
  EXPECT_TRUE(dialog.GetFullscreen());
  EXPECT_NE(std::string::npos, err.find("setup dialog not shown")) << err;
}

}  // namespace

// Windows on the offscreen SDL driver: OpenGL-capable, hidden until shown, sized as asked.
#include <SDL.h>
#include <gtest/gtest.h>

#include "system/window.h"

namespace {

TEST(AppWindow, CreatedHiddenForOpenGLWithTheClientSizeAndTitle) {
  vexil::sys::WindowOptions options;
  options.title = "vexil window test";
  options.width = 320;
  options.height = 200;
  std::string error;
  void* window = vexil::sys::CreateAppWindow(options, &error);
  ASSERT_NE(nullptr, window) << error;
  SDL_Window* sdl = static_cast<SDL_Window*>(window);
  const Uint32 flags = SDL_GetWindowFlags(sdl);
  EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
  EXPECT_TRUE(flags & SDL_WINDOW_HIDDEN) << "the main loop shows it";
  EXPECT_STREQ("vexil window test", SDL_GetWindowTitle(sdl));
  int w = 0, h = 0;
  ASSERT_TRUE(vexil::sys::GetAppWindowSize(window, &w, &h));
  EXPECT_EQ(320, w);
  EXPECT_EQ(200, h);

  vexil::sys::ShowAppWindow(window);
  EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);
  vexil::sys::DestroyAppWindow(window);
}

TEST(AppWindow, InvalidSizeIsRefusedWithAMessage) {
  vexil::sys::WindowOptions options;
  options.width = 0;
  options.height = 480;
  std::string error;
  EXPECT_EQ(nullptr, vexil::sys::CreateAppWindow(options, &error));
  EXPECT_NE(std::string::npos, error.find("0x480")) << error;
  EXPECT_FALSE(vexil::sys::GetAppWindowSize(nullptr, nullptr, nullptr));
  vexil::sys::DestroyAppWindow(nullptr);
}

}  // namespace

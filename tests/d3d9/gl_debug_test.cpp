// GL debug output: with VEXIL_GL_DEBUG=1 (always in debug builds) the driver's messages reach
// stderr, each message once however often the fault repeats.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>

#include "d3d9/d3d9.h"
#include "support/test_device.h"

namespace {

int Count(const std::string& text, const std::string& word) {
  int n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST(GlDebugOutputTest, DriverMessagesArePrintedOncePerId) {
  setenv("VEXIL_GL_DEBUG", "1", 1);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d);
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(D3D_OK, vexil::test::CreateTestDevice(d3d, 32, 32, &dev));
  unsetenv("VEXIL_GL_DEBUG");
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  if (major * 10 + minor >= 43) {
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) glEnable(0x7fff);  // an enum no driver knows
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(1, Count(printed, "GL debug")) << "printed:\n" << printed;
    while (glGetError() != GL_NO_ERROR) {
    }
  }
  EXPECT_EQ(0u, dev->Release());
  EXPECT_EQ(0u, d3d->Release());
  if (major * 10 + minor < 43) GTEST_SKIP() << "the driver offers no debug output";
}

}  // namespace

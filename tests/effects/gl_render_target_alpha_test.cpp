// Render targets on the OpenGL device: by default opaque (X8R8G8B8), so a target cleared to a
// half-transparent colour still covers the picture under it; with "alpha" 1 (A8R8G8B8) the
// target keeps the alpha it was cleared to and composes with ordinary blending.
#include "gl_effect_frame.h"

namespace {

using GlRenderTargetAlphaTest = GlEffectFrameTest;

std::string Target(const char* name, bool alpha) {
  return std::string("<t type=\"texture\" name=\"") + name + "\">" + Param("type", "long", "1") +
         Param("width", "long", "64") + Param("height", "long", "64") +
         (alpha ? Param("alpha", "long", "1") : std::string()) + "</t>";
}

// Clears `target` to half-transparent red.
std::string ClearInto(const char* target) {
  return std::string("<m type=\"clearscreen\" start=\"0\" end=\"1000\" layer=\"1\">") +
         Param("color", "color", "#80FF0000") + "<target value=\"" + target + "\"/></m>";
}

TEST_F(GlRenderTargetAlphaTest, AnAlphaTargetLayersOverThePictureAndAnOpaqueOneCoversIt) {
  ASSERT_TRUE(world.LoadResources("<resources>" + Target("see", true) + Target("solid", false) +
                                  "</resources>"));
  // Blue screen; each target shown 64 x 64 with normal blending, "see" left of the middle,
  // "solid" right of it.
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>" + Module("clearscreen", Param("color", "color", "#FF0000FF")) +
      ClearInto("see") + ClearInto("solid") +
      Module("showimage",
             Param("texture", "string", "see") + Param("x", "float", "-100") +
                 Param("filter", "long", "1"),
             2) +
      Module("showimage",
             Param("texture", "string", "solid") + Param("x", "float", "100") +
                 Param("filter", "long", "1"),
             2) +
      "</timeline>"));
  Frame(0.0f, "render-target-alpha");
  EXPECT_TRUE(Near(220, 240, 128, 0, 127)) << "half red over blue: the target's alpha counts";
  EXPECT_TRUE(Near(420, 240, 255, 0, 0)) << "an opaque target covers what is under it";
  EXPECT_TRUE(Near(320, 240, 0, 0, 255)) << "between the two the screen stays blue";
  EXPECT_TRUE(Near(220, 200, 0, 0, 255)) << "above the picture, blue";
}

}  // namespace

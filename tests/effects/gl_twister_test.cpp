// "twister" on the OpenGL device: the tube's vertices land where the 4:3 camera projects them,
// lit as Direct3D lights them (material ambient 0.2 under white ambient light and the light's
// own ambient, vertex diffuse white, specular from the material when asked), and without a
// texture the alpha-0 vertices leave the tube invisible.
#include <algorithm>
#include <cmath>

#include "gl_effect_frame.h"

namespace {

// Nearly from the camera; and from behind at the right, 110 degrees from the view direction,
// so that a highlight lands where the diffuse light does not saturate.
const D3DXVECTOR3 kFrontLight(0.3f, 0.0f, 1.0f);
const D3DXVECTOR3 kBackLight(-0.94f, 0.0f, -0.342f);

constexpr float kFov = 0.7853982f;
constexpr float kAspect = 1.3333334f;
constexpr int kPoints = 16;

// A circle of radius 1 around the axis, point k at angle k x 22.5 degrees. Array elements
// count from the last key, so the keys are written in reverse.
std::string Circle() {
  std::string keys;
  for (int k = kPoints - 1; k >= 0; --k) {
    const float a = k * 6.2831855f / kPoints;
    keys += "<key x=\"" + std::to_string(std::cos(a)) + "\" y=\"" + std::to_string(std::sin(a)) +
            "\"/>";
  }
  return "<param name=\"shape\" type=\"arrayvec2\">" + keys + "</param>";
}

// Upright tube from y -2 toward 2 (the last ring stops at 1.2), seen from (0, 0, -6), lit
// along `light`.
std::string Tube(const D3DXVECTOR3& light, const std::string& more) {
  return Circle() + Param("segment", "long", "4") +
         "<param name=\"body\" type=\"arrayvec3\"><key x=\"0\" y=\"2\" z=\"0\"/>"
         "<key x=\"0\" y=\"-2\" z=\"0\"/></param>"
         "<param name=\"eyepoint\" type=\"vec3\" x=\"0\" y=\"0\" z=\"-6\"/>"
         "<param name=\"lightdirection\" type=\"vec3\" x=\"" +
         std::to_string(light.x) + "\" y=\"" + std::to_string(light.y) + "\" z=\"" +
         std::to_string(light.z) + "\"/>" + more;
}

class GlTwisterTest : public GlEffectFrameTest {
 protected:
  void SetUp() override {
    GlEffectFrameTest::SetUp();
    ASSERT_TRUE(WritePng(dir.File("white.png"), 16, 16, [](int, int) { return 0xFFFFFFFFu; }));
    ASSERT_TRUE(world.LoadResources("<resources><t type=\"texture\" name=\"white\">" +
                                    Param("filename", "string", "white.png") + "</t></resources>"));
  }

  void Load(const std::string& params) {
    ASSERT_TRUE(world.LoadTimeline("<timeline>" +
                                   Module("clearscreen", Param("color", "color", "#FF000040")) +
                                   Module("twister", params, 1) + "</timeline>"));
  }

  // The grey Direct3D gives the tube's vertex at outline angle k x 22.5 degrees on a ring at
  // height y, and the pixel it lands on.
  static int LitGrey(const D3DXVECTOR3& lightDirection, int k, float y, bool specular, float* px,
                     float* py) {
    const float a = k * 6.2831855f / kPoints;
    const float nx = std::cos(a), nz = std::sin(a);
    const D3DXVECTOR3 position(nx, y, nz);
    ProjectToPixel(kFov, kAspect, position.x, position.y, position.z + 6.0f, 640, 480, px, py);
    D3DXVECTOR3 light;  // toward the light
    const D3DXVECTOR3 towards = -lightDirection;
    D3DXVec3Normalize(&light, &towards);
    const float nDotL = nx * light.x + nz * light.z;
    // Ambient: material 0.2 x (global white + the light's white ambient).
    float grey = std::min(1.0f, 0.2f * 2.0f + std::max(nDotL, 0.0f));
    if (specular && nDotL > 0.0f) {
      D3DXVECTOR3 toEye(-position.x, -position.y, -6.0f - position.z), half;
      D3DXVec3Normalize(&toEye, &toEye);
      const D3DXVECTOR3 sum = light + toEye;
      D3DXVec3Normalize(&half, &sum);
      const float nDotH = nx * half.x + nz * half.z;
      if (nDotH > 0.0f) grey = std::min(1.0f, grey + std::pow(nDotH, 20.0f));
    }
    return static_cast<int>(std::lround(grey * 255.0f));
  }
};

TEST_F(GlTwisterTest, VerticesAreLitWhereTheCameraProjectsThem) {
  Load(Tube(kFrontLight, Param("texture", "string", "white")));
  Frame(0.0f, "twister-lit");
  // Points facing the camera, left of centre to right of it (k 10 .. 14 is 225 .. 315 degrees),
  // on the ring at y -0.4.
  for (int k = 10; k <= 14; ++k) {
    float px, py;
    const int grey = LitGrey(kFrontLight, k, -0.4f, false, &px, &py);
    EXPECT_TRUE(Near(static_cast<int>(px), static_cast<int>(py), grey, grey, grey, 4))
        << "outline point " << k;
  }
  // The tube ends at the last ring (y 1.2), one step short of the axis end.
  float px, top, bottom;
  LitGrey(kFrontLight, 12, 1.2f, false, &px, &top);
  LitGrey(kFrontLight, 12, -2.0f, false, &px, &bottom);
  EXPECT_TRUE(Near(static_cast<int>(px), static_cast<int>(top) - 3, 0, 0, 64)) << "above the tube";
  EXPECT_FALSE(Near(static_cast<int>(px), static_cast<int>(top) + 3, 0, 0, 64)) << "inside";
  EXPECT_TRUE(Near(static_cast<int>(px), static_cast<int>(bottom) + 3, 0, 0, 64)) << "below";
}

TEST_F(GlTwisterTest, SpecularAddsTheMaterialsHighlight) {
  Load(Tube(kBackLight, Param("texture", "string", "white") + Param("specular", "long", "1")));
  Frame(0.0f, "twister-specular");
  int brighter = 0;
  for (int k = 11; k <= 15; ++k) {
    float px, py;
    const int plain = LitGrey(kBackLight, k, -0.4f, false, &px, &py);
    const int grey = LitGrey(kBackLight, k, -0.4f, true, &px, &py);
    if (grey > plain + 10) ++brighter;
    EXPECT_TRUE(Near(static_cast<int>(px), static_cast<int>(py), grey, grey, grey, 4))
        << "outline point " << k;
  }
  EXPECT_GT(brighter, 0) << "some sampled point lies in the highlight";
}

TEST_F(GlTwisterTest, WithoutATextureTheAlphaZeroTubeIsInvisible) {
  Load(Tube(kFrontLight, ""));
  Frame(0.0f, "twister-untextured");
  for (int k = 10; k <= 14; ++k) {
    float px, py;
    LitGrey(kFrontLight, k, -0.4f, false, &px, &py);
    EXPECT_TRUE(Near(static_cast<int>(px), static_cast<int>(py), 0, 0, 64, 0));
  }
}

}  // namespace

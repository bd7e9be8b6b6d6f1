// Frames of the 3D effects on the OpenGL device (headless), checked at pixels whose colour
// follows from the geometry, the light and the material. Each frame is also written as PNG
// beside the test binaries for a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "d3dx9/d3dx9.h"
#include "geometry/mesh_placement.h"
#include "geometry/metaball_surface.h"
#include "gl_effect_frame.h"
#include "support/run_program.h"

namespace {

std::string Vec3Param(const char* name, float x, float y, float z) {
  return std::string("<param name=\"") + name + "\" type=\"vec3\" x=\"" + std::to_string(x) +
         "\" y=\"" + std::to_string(y) + "\" z=\"" + std::to_string(z) + "\"/>";
}

class Gl3dFramesTest : public GlEffectFrameTest {
 protected:
  // The projection the player sets when it opens the display.
  void PlayerProjection() {
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 640.0f / 480.0f, 1.0f, 1000.0f);
    world.device()->SetTransform(D3DTS_PROJECTION, &projection);
  }

  // Where a world point lands on the 640 x 480 screen under `view` and `projection`.
  static D3DXVECTOR2 Project(const D3DXVECTOR3& p, const D3DXMATRIX& view,
                             const D3DXMATRIX& projection) {
    const D3DXMATRIX m = view * projection;
    D3DXVECTOR3 ndc;
    D3DXVec3TransformCoord(&ndc, &p, &m);
    return D3DXVECTOR2((ndc.x + 1.0f) * 320.0f, (1.0f - ndc.y) * 240.0f);
  }
};

TEST_F(Gl3dFramesTest, MetaballsShowALitBlobWhereTheBallsAre) {
  ASSERT_TRUE(
      world.LoadTimeline("<timeline>"
                         "<c type=\"clearscreen\" start=\"0\" end=\"1000\">" +
                         Param("color", "color", "#FF102040") +
                         "</c>"
                         "<m type=\"metaballs\" start=\"0\" end=\"1000\" layer=\"1\">" +
                         Vec3Param("eyepoint", 0, 0, -50) + Param("specular", "long", "0") +
                         "</m>"
                         "</timeline>"));
  Frame(0.0f, "metaballs");

  // At time 0 balls 1 and 3 sit at (2.6, 0, 0). March from the eye towards them to the
  // surface, take the field's forward-difference normal there with the effect's y rule, and
  // light it: white material and lights, untextured; ambient 0.2 x (1 global + 1 light).
  D3DXVECTOR3 centres[4];
  effects::MetaballCentres(0.0f, centres);
  const auto field = [&](const D3DXVECTOR3& p) {
    float sum = 0.0f;
    for (const D3DXVECTOR3& c : centres) {
      const D3DXVECTOR3 d = p - c;
      sum += 1.0f / D3DXVec3LengthSq(&d);
    }
    return sum;
  };
  const D3DXVECTOR3 eye(0, 0, -50), target(2.6f, 0, 0);
  D3DXVECTOR3 ray = target - eye;
  D3DXVec3Normalize(&ray, &ray);
  D3DXVECTOR3 p = eye;
  while (field(p) < 0.034f) p += ray * 0.005f;
  const float s = field(p);
  D3DXVECTOR3 n(field(p + D3DXVECTOR3(0.1f, 0, 0)) - s, field(p + D3DXVECTOR3(0, 0.1f, 0)) - s,
                field(p + D3DXVECTOR3(0, 0, 0.1f)) - s);
  D3DXVec3Normalize(&n, &n);
  if (std::fabs(n.x) <= 0.7f && std::fabs(n.y) <= 0.7f) n.y = 0.8f;
  D3DXVec3Normalize(&n, &n);
  D3DXVECTOR3 toLight(-0.5f, 0.0f, 0.5f);
  D3DXVec3Normalize(&toLight, &toLight);
  const int grey =
      static_cast<int>(255.0f * std::min(1.0f, 0.4f + std::max(0.0f, D3DXVec3Dot(&n, &toLight))));

  D3DXMATRIX view, projection;
  const D3DXVECTOR3 at(0, 0, 0), up(0, 1, 1);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 1.0f, 200.0f);
  const D3DXVECTOR2 blob = Project(target, view, projection);
  EXPECT_TRUE(Near(static_cast<int>(blob.x), static_cast<int>(blob.y), grey, grey, grey, 8));
  // Ball 0 at (10.4, 10.4, 0) has its own lobe.
  const D3DXVECTOR2 lobe = Project(D3DXVECTOR3(10.4f, 10.4f, 0.0f), view, projection);
  EXPECT_GT(At(static_cast<int>(lobe.x), static_cast<int>(lobe.y)).r, 100) << "ball 0's lobe";
  EXPECT_TRUE(Near(10, 470, 16, 32, 64)) << "the clear colour beside the blobs";
}

TEST_F(Gl3dFramesTest, MetaballsFramesDependOnTheirTimeAloneNotOnTheFramesBefore) {
  // Two modules share one surface, and each buffer starts at its first frame's size and
  // grows: at 0 ms the balls give 788 triangles, at 80670 ms the most of the motion (1004).
  ASSERT_TRUE(
      world.LoadTimeline("<timeline><c type=\"clearscreen\" start=\"0\" end=\"200000\">" +
                         Param("color", "color", "#FF102040") +
                         "</c><a type=\"metaballs\" start=\"0\" end=\"100000\" layer=\"1\">" +
                         Vec3Param("eyepoint", 0, 0, -50) +
                         "</a><b type=\"metaballs\" start=\"100000\" end=\"200000\" layer=\"1\">" +
                         Vec3Param("eyepoint", 0, 30, -40) + "</b></timeline>"));
  int triangles[2];
  for (int i = 0; i < 2; ++i) {
    effects::MetaballSurface surface;
    D3DXVECTOR3 centres[4];
    effects::MetaballCentres(i == 0 ? 0.0f : 80670.0f, centres);
    surface.Build(centres, D3DXVECTOR2(0.0f, 0.0f));
    triangles[i] = surface.TriangleCount();
  }
  ASSERT_GT(triangles[1], triangles[0] * 5 / 4 + 1) << "more than a first buffer holds";

  Frame(0.0f, "metaballs-first");
  const std::vector<uint8_t> first = pixels;
  Frame(80670.0f, "metaballs-grown");
  const std::vector<uint8_t> grown = pixels;
  ASSERT_NE(first, grown) << "the balls moved";
  Frame(180670.0f, "metaballs-other");  // the second module at the same time of its own
  ASSERT_NE(grown, pixels) << "seen from elsewhere";
  Frame(80670.0f, "metaballs-again");
  EXPECT_TRUE(grown == pixels) << "the frame that grew the buffer equals a later one";
  Frame(0.0f, "metaballs-fewer");
  EXPECT_TRUE(first == pixels) << "fewer triangles than the buffer holds";
  int lit = 0;
  for (size_t i = 0; i + 3 < first.size(); i += 4) lit += first[i] > 100 || first[i + 1] > 100;
  EXPECT_GT(lit, 10000) << "the blobs cover a good part of the picture";
}

// An octagon outline of radius 2 for the spline tunnel, written in document order going
// clockwise (x right, y up) when `clockwise`.
std::string TunnelShape(bool clockwise) {
  std::string keys = "<param name=\"shape\" type=\"arrayvec3\">";
  for (int i = 0; i < 8; ++i) {
    const float a = (clockwise ? -1.0f : 1.0f) * 6.2831853f * static_cast<float>(i) / 8.0f;
    keys += "<key x=\"" + std::to_string(2.0f * std::cos(a)) + "\" y=\"" +
            std::to_string(2.0f * std::sin(a)) + "\" z=\"0\"/>";
  }
  return keys + "</param>";
}

TEST_F(Gl3dFramesTest, SplineTunnelFadesIntoItsFogColourFarAhead) {
  PlayerProjection();
  ASSERT_TRUE(world.LoadTimeline(
      "<timeline>"
      "<c type=\"clearscreen\" start=\"0\" end=\"60000\"/>"
      "<m type=\"splinetunnel\" start=\"0\" end=\"60000\" layer=\"1\">" +
      TunnelShape(true) + Param("randradius", "long", "0") + Param("fogstart", "float", "0.5") +
      Param("fogend", "float", "4") + Param("fogcolor", "color", "#FF30A050") +
      "</m>"
      "</timeline>"));
  Frame(5000.0f, "splinetunnel-fog");
  // The camera looks 0.6 s (10 units) ahead along a tube of radius 2: whatever the centre
  // of the picture shows lies beyond the fog's end, in the fog colour.
  EXPECT_TRUE(Near(320, 240, 0x30, 0xA0, 0x50, 2));
  // Near the edges the wall is closer than the fog's end: not all fog.
  int wall = 0;
  for (int x = 0; x < 640; x += 8) {
    const Rgba p = At(x, 2);
    if (std::abs(p.r - 0x30) + std::abs(p.g - 0xA0) + std::abs(p.b - 0x50) > 30) ++wall;
  }
  EXPECT_GT(wall, 20) << "the near wall along the top edge";
}

TEST_F(Gl3dFramesTest, SplineTunnelShowsItsInnerWallForAClockwiseOutline) {
  PlayerProjection();
  // The same tunnel twice: outline clockwise for the first ten seconds, anticlockwise after.
  ASSERT_TRUE(
      world.LoadTimeline("<timeline>"
                         "<c type=\"clearscreen\" start=\"0\" end=\"20000\"/>"
                         "<m type=\"splinetunnel\" start=\"0\" end=\"9999\" layer=\"1\">" +
                         TunnelShape(true) +
                         "</m>"
                         "<m type=\"splinetunnel\" start=\"10000\" end=\"20000\" layer=\"1\">" +
                         TunnelShape(false) + "</m></timeline>"));
  const auto coverage = [&](float t, const std::string& name) {
    Frame(t, name);
    int drawn = 0;
    for (int y = 0; y < 480; y += 8) {
      for (int x = 0; x < 640; x += 8) {
        const Rgba p = At(x, y);
        if (p.r + p.g + p.b > 0) ++drawn;
      }
    }
    return drawn;
  };
  const int inner = coverage(5000.0f, "splinetunnel-clockwise");
  const int outer = coverage(15000.0f, "splinetunnel-anticlockwise");
  EXPECT_GT(inner, 80 * 60 * 9 / 10) << "the wall all around the camera";
  EXPECT_LT(outer, 80 * 60 / 2) << "culled from inside: only bits of the outer side show";
}

TEST_F(Gl3dFramesTest, TrailTubeTrailsBehindItsEmitter) {
  ASSERT_TRUE(
      world.LoadTimeline("<timeline>"
                         "<c type=\"clearscreen\" start=\"0\" end=\"10000\"/>"
                         "<m type=\"zuravisnurr\" start=\"0\" end=\"10000\" "
                         "layer=\"1\"/>"
                         "</timeline>"));
  // The rings are released one by one as time passes: play three seconds at 20 frames a
  // second. Released rings drift along +z at 0.003 x 0.5263158 units a millisecond, so the
  // oldest is 4.6 units out and the tube runs from the emitter at the origin to there.
  for (int frame = 0; frame < 60; ++frame) world.timeline.Render(frame * 50.0f);
  Frame(3000.0f, "zuravisnurr");

  D3DXMATRIX view, projection;
  const D3DXVECTOR3 eye(0, 2, -8), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 640.0f / 480.0f, 0.1f, 100.0f);
  for (float z : {0.5f, 2.0f, 4.0f}) {
    const D3DXVECTOR2 p = Project(D3DXVECTOR3(0, 0, z), view, projection);
    const Rgba c = At(static_cast<int>(p.x), static_cast<int>(p.y));
    // White vertex colour lit by the warm material's ambient (0.62, 0.355, 0.295) and more.
    EXPECT_GT(c.r, 150) << "tube at z = " << z;
    EXPECT_GT(c.r, c.g) << "warm at z = " << z;
    EXPECT_GT(c.g, c.b) << "warm at z = " << z;
  }
  for (const D3DXVECTOR3& empty : {D3DXVECTOR3(0, 0, 8), D3DXVECTOR3(1.5f, 0, 2)}) {
    const D3DXVECTOR2 p = Project(empty, view, projection);
    EXPECT_TRUE(Near(static_cast<int>(p.x), static_cast<int>(p.y), 0, 0, 0)) << "beside the tube";
  }
}

TEST_F(Gl3dFramesTest, KluttViewerLightsAFaceTurnedAwayFromTheCamera) {
  ASSERT_EQ(0, vexil::test::RunProgram(vexil::test::BuiltProgram("vexil-xmeshgen"),
                                       {dir.File("cube.x"), "--half-size", "12.5"})
                   .status);
  ASSERT_TRUE(WritePng(dir.File("cube.png"), 8, 8, [](int, int) { return 0xFFFFFFFFu; }));
  ASSERT_TRUE(world.LoadResources("<resources><k type=\"klutt\" name=\"cube\">" +
                                  Param("filename", "string", "cube.x") + "</k></resources>"));
  PlayerProjection();
  // First second: the cube far left, turned by -0.15 rad about y. Second second: centred.
  ASSERT_TRUE(
      world.LoadTimeline("<timeline>"
                         "<c type=\"clearscreen\" start=\"0\" end=\"2000\"/>"
                         "<m type=\"kluttviewer\" start=\"0\" end=\"999\" layer=\"1\">" +
                         Param("mesh", "string", "cube") + Param("usetexture", "long", "0") +
                         Param("lightcolor", "color", "#00FF8040") +
                         Param("yrotation", "float", "-0.15") + Param("x", "float", "-70") +
                         "</m>"
                         "<m type=\"kluttviewer\" start=\"1000\" end=\"2000\" layer=\"1\">" +
                         Param("mesh", "string", "cube") + Param("usetexture", "long", "0") +
                         "</m>"
                         "</timeline>"));
  Frame(0.0f, "kluttviewer");

  // The light travels along -z, towards the camera, so only faces turned away from the
  // camera are lit. Far left and turned, the cube's +x face turns a little away from the
  // camera yet stays in view. Its normal goes through the inverse transpose of the world
  // matrix without being normalised: the size factor k = 25 / 12.5 = 2 halves it.
  // Material 0: diffuse = ambient (1, 0.5, 0.25), emissive (0.1, 0, 0); global ambient 0x20;
  // light (255, 128, 64) / 256; untextured.
  effects::MeshPlacement placement;
  placement.yaw = -0.15f;
  placement.position = D3DXVECTOR3(-70, 0, 0);
  const D3DXMATRIX meshWorld = effects::MeshWorldMatrix(2.0f, placement);
  D3DXMATRIX inverse, normalMatrix;
  D3DXMatrixInverse(&inverse, nullptr, &meshWorld);
  D3DXMatrixTranspose(&normalMatrix, &inverse);
  D3DXVECTOR3 normal;
  const D3DXVECTOR3 faceNormal(1, 0, 0);
  D3DXVec3TransformNormal(&normal, &faceNormal, &normalMatrix);
  const float lambert = std::max(0.0f, normal.z);  // L = (0, 0, 1)
  ASSERT_NEAR(0.5f * std::sin(0.15f), lambert, 1e-4f);
  const float ambient = 32.0f / 255.0f;
  const int r = static_cast<int>(255.0f * (0.1f + 1.0f * ambient + 1.0f * 255 / 256.0f * lambert));
  const int g = static_cast<int>(255.0f * (0.5f * ambient + 0.5f * 128 / 256.0f * lambert));
  const int b = static_cast<int>(255.0f * (0.25f * ambient + 0.25f * 64 / 256.0f * lambert));

  D3DXMATRIX view, projection;
  const D3DXVECTOR3 eye(0, 0, -100), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, 640.0f / 480.0f, 1.0f, 1000.0f);
  D3DXVECTOR3 onFace;
  const D3DXVECTOR3 local(12.5f, 0.0f, 7.5f);
  D3DXVec3TransformCoord(&onFace, &local, &meshWorld);
  const D3DXVECTOR2 p = Project(onFace, view, projection);
  EXPECT_TRUE(Near(static_cast<int>(p.x), static_cast<int>(p.y), r, g, b, 3));

  // Centred and unturned, the -z face looks at the camera and gets ambient and emissive
  // light only: material 1, diffuse = ambient (0, 0.25, 1), emissive (0, 0, 0.2).
  Frame(1500.0f, "kluttviewer-front");
  EXPECT_TRUE(Near(320, 240, 0, static_cast<int>(255 * 0.25f * ambient),
                   static_cast<int>(255 * (0.2f + ambient)), 3));
  EXPECT_TRUE(Near(10, 10, 0, 0, 0)) << "beside the cube";
}

}  // namespace

// "splinetunnel" without a device: the seeded generator, the path, ring alignment, Hermite
// subdivision and the tube; then the module on the null device: strips drawn, fog handed on,
// settings that give no tube.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "effect_test_support.h"
#include "geometry/hermite_subdivide.h"
#include "geometry/lcg_random.h"
#include "geometry/spline_tube.h"

namespace {

using effects::SplineTubeSettings;

std::vector<D3DXVECTOR2> Octagon(float radius, float turn) {
  std::vector<D3DXVECTOR2> shape;
  for (int i = 0; i < 8; ++i) {
    const float a = turn * 6.2831853f * static_cast<float>(i) / 8.0f;
    shape.emplace_back(radius * std::cos(a), radius * std::sin(a));
  }
  return shape;
}

TEST(LcgRandomTest, SeedGivesTheClassicSequence) {
  effects::LcgRandom one(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int value : expected) EXPECT_EQ(value, one.Next());
  effects::LcgRandom hundred(100);
  EXPECT_EQ(365, hundred.Next()) << "(100 x 214013 + 2531011) >> 16";
}

TEST(SplinePathTest, StepsKeepTheirLengthAndTurnLittle) {
  effects::LcgRandom random(100);
  const auto p = effects::GrowSplinePath(random, 50, 10.0f);
  ASSERT_EQ(51u, p.size());
  EXPECT_EQ(D3DXVECTOR3(1, 1, 1), p[0]);
  EXPECT_EQ(D3DXVECTOR3(8, 5, 6), p[1]);
  for (size_t i = 2; i < p.size(); ++i) {
    D3DXVECTOR3 step = p[i] - p[i - 1], before = p[i - 1] - p[i - 2];
    EXPECT_NEAR(10.0f, D3DXVec3Length(&step), 1e-3f) << i;
    D3DXVec3Normalize(&step, &step);
    D3DXVec3Normalize(&before, &before);
    EXPECT_GE(D3DXVec3Dot(&step, &before), 0.95f - 1e-5f) << i;
    EXPECT_GE(step.x, 0.0f);  // tenths from 0 to 0.9: the walk never turns back
  }
  effects::LcgRandom again(100);
  EXPECT_EQ(p, effects::GrowSplinePath(again, 50, 10.0f)) << "the same seed, the same path";
  effects::LcgRandom other(101);
  EXPECT_NE(p, effects::GrowSplinePath(other, 50, 10.0f));
}

TEST(SplinePathTest, PositionFollowsTheKeyRingsInTime) {
  effects::LcgRandom random(7);
  const effects::SplinePath path(effects::GrowSplinePath(random, 10, 10.0f), 0.5f);
  ASSERT_EQ(10, path.KeyCount());
  EXPECT_FLOAT_EQ(4.5f, path.Time(9));
  EXPECT_EQ(path.Point(0), path.Position(-1.0f)) << "before the first ring";
  EXPECT_EQ(path.Point(0), path.Position(0.0f));
  const D3DXVECTOR3 third = path.Position(1.0f);
  EXPECT_NEAR(path.Point(2).x, third.x, 1e-4f) << "ring 2 at 2 x 0.5 s";
  EXPECT_NEAR(path.Point(9).z, path.Position(100.0f).z, 1e-4f) << "held at the last ring";
  const D3DXVECTOR3 tangent0 = path.Point(1) - path.Point(0);
  EXPECT_EQ(tangent0, path.Tangent(0));
}

TEST(HermiteSubdivideTest, StridedRunsAreSmoothedBetweenTheirPoints) {
  // Points on a line with the chord as end tangents: the curve is the line, evenly split.
  D3DXVECTOR3 grid[3 * 2];  // three points in column 1 of a two-column grid
  for (int i = 0; i < 3; ++i) grid[i * 2 + 1] = D3DXVECTOR3(4.0f * i, 0, 0);
  D3DXVECTOR3 out[8 * 3];
  const D3DXVECTOR3 chord(4, 0, 0);
  effects::HermiteSubdivide(&grid[1], 2, 3, 4, chord, chord, out, 3);
  for (int k = 0; k < 8; ++k) {
    EXPECT_NEAR(static_cast<float>(k), out[k * 3].x, 1e-5f) << "point " << k;
    EXPECT_EQ(0.0f, out[k * 3].y);
  }
  // Zero end tangents ease in and out: the first step is shorter than the middle one.
  effects::HermiteSubdivide(&grid[1], 2, 3, 4, D3DXVECTOR3(), D3DXVECTOR3(), out, 1);
  EXPECT_LT(out[1].x - out[0].x, out[4].x - out[3].x);
}

TEST(AlignRingTest, ClosestPairTakesTheSameNumber) {
  const D3DXVECTOR3 previous[4] = {{1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
  // The same square numbered from its third point, a little further along the path.
  D3DXVECTOR3 ring[4] = {{-1, 0, 1}, {0, -1, 1}, {1, 0, 1}, {0, 1, 1}};
  effects::AlignRing(previous, ring, 4);
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(previous[j].x, ring[j].x) << j;
    EXPECT_EQ(previous[j].y, ring[j].y) << j;
  }
  // Already aligned: untouched.
  D3DXVECTOR3 same[4] = {{1, 0, 1}, {0, 1, 1}, {-1, 0, 1}, {0, -1, 1}};
  effects::AlignRing(previous, same, 4);
  EXPECT_EQ(D3DXVECTOR3(1, 0, 1), same[0]);
}

TEST(SplineTubeTest, SameSeedSameTubeAndItsLayout) {
  SplineTubeSettings s;
  s.rings = 20;
  s.shape = Octagon(2.0f, -1.0f);
  const auto tube = effects::BuildSplineTube(s);
  ASSERT_FALSE(tube.Empty()) << tube.emptyReason;
  EXPECT_EQ(8 * 5, tube.ringWidth);
  EXPECT_EQ(3 * 19 + 1, tube.rows);
  EXPECT_FLOAT_EQ(3.0f, tube.ringPeriod);
  ASSERT_EQ(static_cast<size_t>(41 * 2 * 57), tube.vertices.size());
  const auto again = effects::BuildSplineTube(s);
  ASSERT_EQ(tube.vertices.size(), again.vertices.size());
  EXPECT_EQ(0, std::memcmp(tube.vertices.data(), again.vertices.data(),
                           tube.vertices.size() * sizeof(tube.vertices[0])));

  // Strip 1, column 40 repeats column 0 with u = 2; v counts key-ring segments.
  const auto& first = tube.vertices[tube.StripVertices()];
  const auto& last = tube.vertices[tube.StripVertices() + 80];
  EXPECT_EQ(first.x, last.x);
  EXPECT_FLOAT_EQ(0.0f, first.u);
  EXPECT_FLOAT_EQ(2.0f, last.u);
  EXPECT_FLOAT_EQ(1.0f / 3.0f, first.v);
  EXPECT_FLOAT_EQ(2.0f / 3.0f, tube.vertices[tube.StripVertices() + 1].v);
  EXPECT_EQ(0xFFFFFFFFu, first.color);
}

TEST(SplineTubeTest, WithoutRandomRadiiTheKeyRingsKeepTheOutlineAndNormalsPointInwards) {
  SplineTubeSettings s;
  s.rings = 6;
  s.randRadius = 0;
  s.baseRadius = 1.5f;
  s.spaceSplinePoints = 1;
  s.ringSplinePoints = 1;
  s.shape = Octagon(2.0f, 1.0f);
  const auto tube = effects::BuildSplineTube(s);
  ASSERT_FALSE(tube.Empty());
  // With one point per edge and per segment every row is a key ring: each point lies
  // baseradius x 2 = 3 from its ring's centre, and its normal points at the centre.
  for (int row = 0; row + 1 < tube.rows; ++row) {
    const D3DXVECTOR3 centre = tube.path.Point(row);
    for (int col = 0; col < tube.ringWidth; ++col) {
      const auto& v = tube.vertices[row * tube.StripVertices() + col * 2];
      D3DXVECTOR3 out(v.x - centre.x, v.y - centre.y, v.z - centre.z);
      EXPECT_NEAR(3.0f, D3DXVec3Length(&out), 1e-3f) << row << ", " << col;
      const D3DXVECTOR3 n(v.nx, v.ny, v.nz);
      EXPECT_LT(D3DXVec3Dot(&n, &out), 0.0f) << "normal towards the path";
      EXPECT_NEAR(1.0f, D3DXVec3Length(&n), 1e-4f);
    }
  }
  // With random radii the same seed draws a different path: the radii take numbers too.
  SplineTubeSettings withRadii = s;
  withRadii.randRadius = 40;
  EXPECT_EQ(tube.path.Point(3), effects::BuildSplineTube(withRadii).path.Point(3))
      << "the path is grown before any radius is drawn";
}

TEST(SplineTubeTest, SettingsThatGiveNoTube) {
  SplineTubeSettings good;
  good.rings = 4;
  good.shape = Octagon(1.0f, 1.0f);
  ASSERT_FALSE(effects::BuildSplineTube(good).Empty());

  const auto empty = [&](auto change) {
    SplineTubeSettings s = good;
    change(s);
    const auto tube = effects::BuildSplineTube(s);
    return tube.Empty() && !tube.emptyReason.empty();
  };
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.shape.clear(); }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.rings = 1; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.rings = -5; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.ringSplinePoints = 0; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.spaceSplinePoints = -1; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.time = 0.0f; })) << "a ring period of 0";
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.time = -60.0f; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.time = NAN; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.space = 0.0f; })) << "the walk has no way";
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.space = -10.0f; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) { s.ringSplinePoints = 1 << 30; }));
  EXPECT_TRUE(empty([](SplineTubeSettings& s) {
    s.rings = 20000;
    s.spaceSplinePoints = 100;
  })) << "too many vertices";
  // 60000 shape points fit the vertex limit in two rings, but aligning them would compare
  // 7.2 billion point pairs: the tube is refused at once instead of stalling the start.
  SplineTubeSettings wide = good;
  wide.rings = 2;
  wide.ringSplinePoints = 1;
  wide.spaceSplinePoints = 1;
  wide.shape.assign(60000, D3DXVECTOR2(1.0f, 0.0f));
  EXPECT_EQ(
      "\"shape\" has too many points (60000) to align 2 rings: more than 268435456 point "
      "pairs to compare",
      effects::BuildSplineTube(wide).emptyReason);
}

class SplineTunnelModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }

  static std::string Tunnel(const std::string& params) {
    std::string shape = "<param name=\"shape\" type=\"arrayvec3\">";
    for (const D3DXVECTOR2& p : Octagon(2.0f, -1.0f)) {
      shape += "<key x=\"" + std::to_string(p.x) + "\" y=\"" + std::to_string(p.y) + "\" z=\"0\"/>";
    }
    shape += "</param>";
    return "<timeline><m type=\"splinetunnel\" start=\"0\" end=\"100000\">"
           "<param name=\"rings\" type=\"long\" value=\"10\"/>"
           "<param name=\"time\" type=\"float\" value=\"10\"/>" +
           shape + params + "</m></timeline>";
  }

  EffectWorld world{false};
};

TEST_F(SplineTunnelModuleTest, StripsAlreadyPassedAreSkipped) {
  ASSERT_TRUE(world.LoadTimeline(Tunnel("")));
  // R = 10 rings over 10 s: one ring a second; ss = 3 gives 28 rows, 27 strips of 41 x 2.
  const std::pair<float, size_t> cases[] = {{0.0f, 27},    {999.0f, 27},  {1000.0f, 26},
                                            {5500.0f, 22}, {26999.0f, 1}, {27000.0f, 0},
                                            {90000.0f, 0}};
  for (const auto& c : cases) {
    world.ClearCalls();
    world.timeline.Render(c.first);
    const auto draws = CallsOf(world, VEXIL_CALL_DRAW);
    ASSERT_EQ(c.second, draws.size()) << "at " << c.first << " ms";
    if (draws.empty()) continue;
    EXPECT_EQ(D3DPT_TRIANGLESTRIP, draws[0].primitiveType);
    EXPECT_EQ(80u, draws[0].primitiveCount);
    EXPECT_EQ((27 - c.second) * 82, draws[0].startVertex);
    EXPECT_EQ(0x152u, draws[0].fvf);
  }
}

TEST_F(SplineTunnelModuleTest, FogSwitchedOnStaysOnAfterTheTunnel) {
  ASSERT_TRUE(
      world.LoadTimeline(Tunnel("<param name=\"fogstart\" type=\"float\" value=\"2\"/>"
                                "<param name=\"fogend\" type=\"float\" value=\"30\"/>"
                                "<param name=\"fogcolor\" type=\"color\" value=\"#FF336699\"/>")));
  world.device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  world.timeline.Render(100.0f);
  EXPECT_EQ(static_cast<DWORD>(TRUE), RenderStateOf(world.device(), D3DRS_FOGENABLE))
      << "set twice through one scope: the first setting is what stays";
  EXPECT_EQ(0u, RenderStateOf(world.device(), D3DRS_FOGCOLOR)) << "set once: restored";
  EXPECT_EQ(static_cast<DWORD>(D3DFOG_NONE), RenderStateOf(world.device(), D3DRS_FOGTABLEMODE))
      << "restored";
  EXPECT_EQ(static_cast<DWORD>(D3DCULL_NONE), RenderStateOf(world.device(), D3DRS_CULLMODE))
      << "restored";
}

TEST_F(SplineTunnelModuleTest, FogStaysOffWhileBothDistancesAreZero) {
  ASSERT_TRUE(world.LoadTimeline(Tunnel("")));
  world.timeline.Render(100.0f);
  EXPECT_EQ(static_cast<DWORD>(FALSE), RenderStateOf(world.device(), D3DRS_FOGENABLE));
}

TEST_F(SplineTunnelModuleTest, ZeroTimeDrawsNothing) {
  ASSERT_TRUE(world.LoadTimeline(Tunnel("<param name=\"time\" type=\"float\" value=\"0\"/>")));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  world.timeline.Render(500.0f);
  EXPECT_TRUE(CallsOf(world, VEXIL_CALL_DRAW).empty());
}

}  // namespace

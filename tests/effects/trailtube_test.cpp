// "zuravisnurr" without a device: releases, drops, drift and the texture flip of the emitter,
// the star-section vertices and triangles; then the module on the null device: its draws,
// the camera values as scripts bind them, and settings that give no tube.
#include <gtest/gtest.h>

#include <cmath>

#include "effect_world.h"
#include "geometry/trail_emitter.h"

namespace {

using effects::TrailEmitter;
using effects::TrailSettings;

TrailSettings Small() {
  TrailSettings s;
  s.segments = 4;
  s.edges = 3;
  s.interval = 100.0f;
  return s;
}

TEST(TrailEmitterTest, ReleasesAtTheIntervalThenDropsTheOldest) {
  TrailEmitter emitter(Small());
  EXPECT_EQ(0, emitter.Released());
  emitter.Update(0.0f);
  EXPECT_EQ(1, emitter.Released()) << "the first frame releases one at once";
  EXPECT_GT(emitter.Segment(0).speed, 0.0f);
  EXPECT_EQ(0.0f, emitter.Segment(1).speed) << "the rest rest at the emitter";
  emitter.Update(99.0f);
  EXPECT_EQ(1, emitter.Released());
  emitter.Update(100.0f);
  emitter.Update(200.0f);
  EXPECT_EQ(3, emitter.Released()) << "S - 1 released";
  EXPECT_EQ(0, emitter.TextureFlip());

  // The next release drops the oldest: every segment moves down one place.
  const D3DXVECTOR3 second = emitter.Segment(1).position;
  emitter.Update(300.0f);
  EXPECT_EQ(3, emitter.Released());
  EXPECT_EQ(1, emitter.TextureFlip()) << "so the texture's v keeps its place on the rings";
  const float drift = 100.0f * 0.003f * TrailEmitter::kDriftScale;
  EXPECT_NEAR(second.z + drift, emitter.Segment(0).position.z, 1e-5f) << "old segment 1";
  EXPECT_GT(emitter.Segment(2).speed, 0.0f) << "a new release in place S - 2";
  EXPECT_EQ(0.0f, emitter.Segment(3).speed) << "the last one rests";
  emitter.Update(400.0f);
  EXPECT_EQ(0, emitter.TextureFlip());
}

TEST(TrailEmitterTest, ReleasedRingsDriftAlongTheirReleaseDirection) {
  TrailEmitter emitter(Small());
  emitter.Update(0.0f);
  emitter.Update(50.0f);
  // startdir (0, 0, 1): 0.003 x 0.5263158 units per millisecond along +z.
  EXPECT_NEAR(50.0f * 0.003f * 0.5263158f, emitter.Segment(0).position.z, 1e-6f);
  EXPECT_EQ(0.0f, emitter.Segment(0).position.x);

  // Turning the emitter later moves the new releases, not the rings already out. A ring
  // drifts for the whole frame in which it is released.
  emitter.SetDirection(D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(0, 1, 0));
  emitter.Update(100.0f);
  emitter.Update(150.0f);
  EXPECT_EQ(0.0f, emitter.Segment(0).position.x);
  EXPECT_NEAR(100.0f * 0.003f * 0.5263158f, emitter.Segment(1).position.x, 1e-6f);

  // A direction of length 2 (set each frame without normalising) drifts twice as fast.
  emitter.SetDirection(D3DXVECTOR3(0, 2, 0), D3DXVECTOR3(1, 0, 0));
  emitter.Update(200.0f);
  emitter.Update(250.0f);
  EXPECT_NEAR(2.0f * 100.0f * 0.003f * 0.5263158f, emitter.Segment(2).position.y, 1e-5f);
}

TEST(TrailEmitterTest, MovingTheEmitterTakesTheRestingRingsAlong) {
  TrailEmitter emitter(Small());
  emitter.Update(0.0f);
  emitter.SetPosition(D3DXVECTOR3(5, 0, 0));
  EXPECT_EQ(0.0f, emitter.Segment(0).position.x) << "released";
  EXPECT_EQ(5.0f, emitter.Segment(1).position.x);
  EXPECT_EQ(5.0f, emitter.Segment(3).position.x);
}

TEST(TrailEmitterTest, StarRingsAndTheirTriangles) {
  TrailSettings s = Small();
  s.outRadius = 0.3f;
  s.inRadius = 0.2f;
  TrailEmitter emitter(s);
  std::vector<effects::VertexNormalColorTex> vertices;
  std::vector<uint16_t> triangles;
  emitter.Build(&vertices, &triangles);
  ASSERT_EQ(4u * 6u, vertices.size());
  ASSERT_EQ(3u * 3u * 4u * 3u, triangles.size()) << "(S - 1) x E x 4 triangles";

  // Resting at the origin facing +z with up +y: side = z x y = -x. Corners alternate outer
  // and inner radius at sixths of a turn; normals have length r / sqrt(r^2 + 1).
  for (int k = 0; k < 6; ++k) {
    const auto& v = vertices[k];
    const float r = (k % 2 == 0) ? 0.3f : 0.2f;
    EXPECT_NEAR(r, std::hypot(v.x, v.y), 1e-5f) << k;
    EXPECT_EQ(0.0f, v.z);
    EXPECT_NEAR(r / std::sqrt(r * r + 1.0f), std::hypot(v.nx, v.ny), 1e-5f) << k;
    EXPECT_NEAR((k + 1) / 6.0f, v.u, 1e-6f);
  }
  EXPECT_NEAR(-0.3f, vertices[0].x, 1e-6f) << "corner 0 lies along the side";
  EXPECT_EQ(1.0f, vertices[0].v) << "v starts at 1 without the flip";
  EXPECT_EQ(0.0f, vertices[6].v) << "and toggles ring by ring";
  // The first quad of ring 1 against ring 0: (o, i, P), (P, i, Pi), (i, o', Pi), (Pi, o', P').
  const uint16_t quad[12] = {6, 7, 0, 0, 7, 1, 7, 8, 1, 1, 8, 2};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(quad[i], triangles[i]) << i;
  // The last star point closes the ring.
  EXPECT_EQ(6, triangles[2 * 12 + 7]);
  EXPECT_EQ(0, triangles[2 * 12 + 11]);
}

TEST(TrailEmitterTest, SettingsThatGiveNoTube) {
  EXPECT_TRUE(effects::TrailSettingsProblem(Small()).empty());
  TrailSettings s = Small();
  s.segments = 1;
  EXPECT_FALSE(effects::TrailSettingsProblem(s).empty()) << "fewer than 2 rings";
  s = Small();
  s.edges = 0;
  EXPECT_FALSE(effects::TrailSettingsProblem(s).empty()) << "no star points";
  s = Small();
  s.segments = 4097;
  s.edges = 8;
  EXPECT_FALSE(effects::TrailSettingsProblem(s).empty()) << "65,552 vertices";
  s.segments = 4096;
  EXPECT_TRUE(effects::TrailSettingsProblem(s).empty()) << "65,536 still fit";
}

class TrailTubeModuleTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(world.ok()) << world.error(); }

  static std::string Tube(const std::string& params) {
    return "<timeline><m type=\"zuravisnurr\" start=\"0\" end=\"100000\">" + params +
           "</m></timeline>";
  }

  EffectWorld world{false};
};

TEST_F(TrailTubeModuleTest, PointsAndTrianglesUnderItsOwnCameraThenRestored) {
  ASSERT_TRUE(world.LoadTimeline(Tube("")));
  world.device()->SetRenderState(D3DRS_LIGHTING, FALSE);
  D3DXMATRIX before;
  D3DXMatrixTranslation(&before, 1, 2, 3);
  world.device()->SetTransform(D3DTS_VIEW, &before);
  world.device()->SetTransform(D3DTS_PROJECTION, &before);
  world.ClearCalls();
  world.timeline.Render(0.0f);

  std::vector<VexilRecordedCall> draws;
  for (const VexilRecordedCall& call : world.calls()) {
    if (call.kind == VEXIL_CALL_DRAW || call.kind == VEXIL_CALL_DRAWINDEXED) draws.push_back(call);
  }
  ASSERT_EQ(2u, draws.size());
  EXPECT_EQ(D3DPT_POINTLIST, draws[0].primitiveType);
  EXPECT_EQ(30u * 16u, draws[0].primitiveCount);
  EXPECT_EQ(D3DPT_TRIANGLELIST, draws[1].primitiveType);
  EXPECT_EQ(29u * 8u * 4u, draws[1].primitiveCount);
  EXPECT_EQ(30u * 16u, draws[1].numVertices);

  DWORD lighting = 0;
  world.device()->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(static_cast<DWORD>(TRUE), lighting) << "set twice through the scope: stays on";
  D3DXMATRIX after;
  world.device()->GetTransform(D3DTS_VIEW, &after);
  EXPECT_EQ(before, after) << "view restored";
  world.device()->GetTransform(D3DTS_PROJECTION, &after);
  EXPECT_EQ(before, after) << "projection restored";
}

TEST_F(TrailTubeModuleTest, CameraValuesBindAsScriptsKnowThem) {
  // Each name binds its first value only: "camposy" sets the height while the camera's z,
  // registered under the same name, keeps -8; "camupdirz" sets the up vector's y while up z
  // keeps 0.
  ASSERT_TRUE(
      world.LoadTimeline(Tube("<param name=\"camposy\" type=\"float\" value=\"5\"/>"
                              "<param name=\"camupdirz\" type=\"float\" value=\"-1\"/>")));
  ASSERT_EQ(1, world.timeline.GetModuleCount());
  const CModule* module = world.timeline.GetModule(0);
  std::vector<float> camposy, camupdirz;
  for (int i = 0; i < module->GetValueCount(); ++i) {
    CValue* value = module->GetValue(i);
    if (value->GetValueType() != EValueType::Float) continue;
    const float read = *static_cast<CValueFloat*>(value);
    if (std::string(value->GetName()) == "camposy") camposy.push_back(read);
    if (std::string(value->GetName()) == "camupdirz") camupdirz.push_back(read);
  }
  EXPECT_EQ((std::vector<float>{5.0f, -8.0f}), camposy);
  EXPECT_EQ((std::vector<float>{-1.0f, 0.0f}), camupdirz);
}

TEST_F(TrailTubeModuleTest, TooManyVerticesDrawNothing) {
  ASSERT_TRUE(
      world.LoadTimeline(Tube("<param name=\"numsegments\" type=\"long\" value=\"5000\"/>"
                              "<param name=\"numedges\" type=\"long\" value=\"8\"/>")));
  world.ClearCalls();
  world.timeline.Render(0.0f);
  for (const VexilRecordedCall& call : world.calls()) {
    EXPECT_NE(VEXIL_CALL_DRAW, call.kind);
    EXPECT_NE(VEXIL_CALL_DRAWINDEXED, call.kind);
  }
}

}  // namespace

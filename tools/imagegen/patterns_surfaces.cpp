// Surface textures for the demo's 3D effects: the torus tunnel's neon panels, the spline
// tunnel's metal plates, the metaballs' reflection, the twister's lattice, the mesh's bands
// and the trail tube's embers. Each tiles seamlessly where its effect repeats it.
#include <cmath>

#include "pattern_math.h"
#include "patterns_scenes.h"

namespace imagegen {

namespace {

float EdgeDistance(float u, float v) {
  return std::min(std::min(u, 1.0f - u), std::min(v, 1.0f - v));
}

float Fract(float x) {
  return x - std::floor(x);
}

// Signed distance from (x, y) to a square of half size `half` whose corners are rounded by
// `radius`; negative inside.
float RoundedSquare(float x, float y, float half, float radius) {
  const float qx = std::fabs(x) - half + radius, qy = std::fabs(y) - half + radius;
  const float outside =
      std::sqrt(std::max(qx, 0.0f) * std::max(qx, 0.0f) + std::max(qy, 0.0f) * std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

}  // namespace

// A dark violet panel framed by glowing magenta lines, a cyan ring in its middle. The torus
// tunnel mirrors neighbouring quads, so the frames join into a grid of double lines; the
// detail is bold because the tunnel's far walls are not smoothed when shrunk.
Color Neon(float u, float v, int, int) {
  const float e = EdgeDistance(u, v);
  Color c{0.05f, 0.015f, 0.11f, 1.0f};
  const float frame = std::exp(-e / 0.03f) + 0.35f * std::exp(-e / 0.12f);
  c = Added(c, {1.0f, 0.2f, 0.65f, 1.0f}, frame);
  const float core = std::exp(-e / 0.012f);
  c = Added(c, {0.6f, 0.6f, 0.6f, 1.0f}, core);
  const float r = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
  const float ring = std::exp(-std::pow((r - 0.27f) / 0.035f, 2.0f));
  c = Added(c, {0.15f, 0.85f, 1.0f, 1.0f}, ring + 0.25f * std::exp(-r / 0.12f));
  return c;
}

// Four dark steel plates whose seams glow orange, with corner rivets and, on some plates, an
// amber slot light; tiles in both directions. Fog swallows the dark plates first, so the
// glowing seams draw the tunnel's shape into the distance.
Color Plates(float u, float v, int, int) {
  const int px = static_cast<int>(u * 2.0f), py = static_cast<int>(v * 2.0f);
  const float pu = Fract(u * 2.0f), pv = Fract(v * 2.0f);
  const float e = EdgeDistance(pu, pv);
  const float grain = TilingNoise(u, v, 16, 11u) * 0.6f + TilingNoise(u, v, 64, 12u) * 0.4f;
  const float tone = 0.75f + 0.4f * Hash(px, py, 5u);
  Color c = Scaled(Color{0.3f, 0.32f, 0.38f, 1.0f}, tone * (0.75f + 0.4f * grain));
  // Light falls from the top left: edges facing it bright, the others shaded.
  const float bevel = 1.0f - Smooth(0.03f, 0.08f, e);
  const float facing = (pu + pv < 1.0f) ? 0.5f : -0.4f;
  c = Scaled(c, 1.0f + bevel * facing);
  const float seam = std::exp(-e / 0.012f) + 0.3f * std::exp(-e / 0.05f);
  c = Added(c, {1.0f, 0.45f, 0.12f, 1.0f}, seam);
  for (float cx : {0.12f, 0.88f}) {
    for (float cy : {0.12f, 0.88f}) {
      const float d = std::sqrt((pu - cx) * (pu - cx) + (pv - cy) * (pv - cy));
      const float rivet = 1.0f - Smooth(0.025f, 0.035f, d);
      c = Mix(c, Color{0.7f, 0.72f, 0.78f, 1.0f}, rivet * (0.5f + 4.0f * (cy - pv) * (cx - pu)));
    }
  }
  if (Hash(px, py, 9u) > 0.45f) {
    const float slot = RoundedSquare((pu - 0.5f) * 0.6f, (pv - 0.5f) * 4.0f, 0.12f, 0.1f);
    const float glow = std::exp(-std::max(slot, 0.0f) / 0.03f);
    c = Mix(c, Color{1.0f, 0.8f, 0.35f, 1.0f}, Clamp01(glow));
  }
  return c;
}

// A sunset reflection: bands from deep blue through cyan and white to peach and magenta,
// waving across; periodic both ways, so an animated texture offset flows without seams.
Color Chrome(float u, float v, int, int) {
  static const Color kStops[] = {{0.04f, 0.06f, 0.28f, 1.0f}, {0.15f, 0.55f, 0.95f, 1.0f},
                                 {0.95f, 0.97f, 1.0f, 1.0f},  {1.0f, 0.62f, 0.35f, 1.0f},
                                 {0.75f, 0.12f, 0.5f, 1.0f},  {0.1f, 0.03f, 0.2f, 1.0f}};
  const float wave = std::sin(kTwoPi * v + 0.8f * std::sin(kTwoPi * u));
  const float t = 0.5f + 0.5f * wave;
  Color c = Ramp(kStops, 6, t);
  const float spark = std::pow(0.5f + 0.5f * std::sin(kTwoPi * (u * 2.0f + v)), 24.0f);
  return Added(c, {1.0f, 1.0f, 1.0f, 1.0f}, 0.5f * spark);
}

// A teal metal lattice: a 2 x 2 grid of rounded holes (fully transparent) with bright rims,
// for the twister, whose tube shows through its texture's alpha.
Color Lattice(float u, float v, int, int) {
  const float x = Fract(u * 2.0f) - 0.5f, y = Fract(v * 2.0f) - 0.5f;
  const float d = RoundedSquare(x, y, 0.33f, 0.12f);
  const float alpha = Smooth(-0.006f, 0.006f, d);
  Color c{0.08f, 0.32f, 0.42f, alpha};
  const float rim = std::exp(-std::max(d, 0.0f) / 0.025f);
  c = Added(c, {0.7f, 1.0f, 0.95f, 1.0f}, rim);
  const float outer = EdgeDistance(Fract(u * 2.0f), Fract(v * 2.0f));
  c = Scaled(c, 0.75f + 0.25f * Smooth(0.0f, 0.1f, outer));
  return c;
}

// Gold and deep red rings with cream seams for a tube mesh whose u runs along its length;
// a lighter line runs along the tube at v = 0.5.
Color Bands(float u, float v, int, int) {
  const float s = Fract(u * 2.0f);
  const float edge = std::min(std::fabs(s - 0.5f), std::min(s, 1.0f - s));
  const Color gold{1.0f, 0.72f, 0.25f, 1.0f}, red{0.62f, 0.1f, 0.16f, 1.0f};
  Color c = s < 0.5f ? gold : red;
  c = Mix(Color{1.0f, 0.95f, 0.85f, 1.0f}, c, Smooth(0.0f, 0.04f, edge));
  const float line = std::exp(-std::pow((v - 0.5f) / 0.04f, 2.0f));
  return Added(c, {0.35f, 0.3f, 0.25f, 1.0f}, line);
}

// Hot embers for the trail tube: v runs 0..1 from one ring to the next (the tube flips it
// every ring), so the glow is brightest where rings meet; u runs around the star.
Color Ember(float u, float v, int, int) {
  static const Color kStops[] = {{0.25f, 0.02f, 0.05f, 1.0f},
                                 {0.85f, 0.18f, 0.05f, 1.0f},
                                 {1.0f, 0.6f, 0.15f, 1.0f},
                                 {1.0f, 0.95f, 0.75f, 1.0f}};
  const float heat = 0.55f * v * v + 0.35f * (0.5f + 0.5f * std::cos(kTwoPi * u * 4.0f)) +
                     0.15f * TilingNoise(u, v, 8, 21u);
  return Ramp(kStops, 4, heat);
}

}  // namespace imagegen

// The patterns of vexil-imagegen. Every pattern is resolution independent, so the demo can
// ask for any size; the periodic ones tile seamlessly.
#include "patterns.h"

#include <algorithm>
#include <cmath>

#include "glyphs.h"
#include "pattern_math.h"
#include "patterns_scenes.h"

namespace imagegen {

namespace {

// "VEXIL" in gradient letters (cyan at the top to violet at the bottom) with a soft glow, on
// a transparent background that is fully transparent along the picture's border.
Color Logo(float u, float v, int w, int h) {
  const char* kText = "VEXIL";
  const float cells = 31.0f, rows = 9.0f;  // 29 columns of letters plus a margin each side
  const float s = std::min(w / cells, h / rows);
  const float x = (u * w - (w - 29.0f * s) * 0.5f) / s;
  const float y = (v * h - (h - 7.0f * s) * 0.5f) / s;
  const float d = TextDistance(kText, x, y);
  const float letter = Clamp01(1.0f - d * 4.0f);
  // The glow fades out over the margin round the letters, so the picture has no edge of its
  // own where it is cut off.
  const float margin = std::min({u * w, (1.0f - u) * w, v * h, (1.0f - v) * h}) / s;
  const float glow = 0.55f * std::exp(-d * 1.6f) * Smooth(0.0f, 1.0f, margin);
  const Color top{0.35f, 0.95f, 1.0f, 1.0f}, bottom{0.75f, 0.3f, 1.0f, 1.0f};
  Color fill = Mix(top, bottom, Clamp01(y / 7.0f));
  fill.a = std::max(letter, glow);
  // The glow is white-blue; the letters carry their gradient.
  const Color halo{0.6f, 0.8f, 1.0f, fill.a};
  return letter > 0.0f ? Mix(halo, fill, letter) : halo;
}

// A white spot fading smoothly to transparent at the rim; for additive flares.
Color Glow(float u, float v, int, int) {
  const float r = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) * 2.0f;
  const float a = std::pow(Clamp01(1.0f - r), 2.2f);
  return {1.0f, 1.0f, 1.0f, a};
}

// A tiling sine plasma in warm and cool bands, opaque.
Color Plasma(float u, float v, int, int) {
  // Whole periods across the picture in every term, so opposite edges meet.
  const float a = std::sin(kTwoPi * u * 2.0f) + std::sin(kTwoPi * v * 3.0f) +
                  std::sin(kTwoPi * (u + v) * 2.0f) + std::sin(kTwoPi * (u - v));
  const float t = a * 0.25f;  // -1..1
  const float phase = kPi * t * 2.0f;
  return {0.35f + 0.4f * std::sin(phase), 0.3f + 0.35f * std::sin(phase + 2.1f),
          0.5f + 0.45f * std::sin(phase + 4.2f), 1.0f};
}

// An orange ring with a bright rim on opaque magenta, which a colour key of FFFF00FF removes.
Color Ring(float u, float v, int, int) {
  const float r = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) * 2.0f;
  const float inside = Smooth(0.55f, 0.58f, r) * (1.0f - Smooth(0.92f, 0.95f, r));
  if (inside < 0.5f) return {1.0f, 0.0f, 1.0f, 1.0f};  // hard edge: keyed pixels must be exact
  const float rim = std::exp(-std::pow((r - 0.75f) / 0.08f, 2.0f));
  return {1.0f, 0.45f + 0.5f * rim, 0.1f + 0.6f * rim, 1.0f};
}

// An 8 x 8 checkerboard of two blues with a thin light border per tile, opaque; for meshes.
Color Checker(float u, float v, int, int) {
  const int cx = static_cast<int>(u * 8.0f), cy = static_cast<int>(v * 8.0f);
  const float fx = u * 8.0f - cx, fy = v * 8.0f - cy;
  const float edge = std::min(std::min(fx, 1.0f - fx), std::min(fy, 1.0f - fy));
  Color c = ((cx + cy) & 1) ? Color{0.1f, 0.2f, 0.5f, 1.0f} : Color{0.25f, 0.55f, 0.9f, 1.0f};
  if (edge < 0.04f) c = {0.85f, 0.9f, 1.0f, 1.0f};
  return c;
}

// Twenty-four rays from the centre alternating deep blue and violet, darkening outwards.
Color Sunburst(float u, float v, int, int) {
  const float dx = u - 0.5f, dy = v - 0.5f;
  const float angle = std::atan2(dy, dx);
  const float r = std::sqrt(dx * dx + dy * dy) * 2.0f;
  const float ray = Smooth(-0.15f, 0.15f, std::sin(angle * 12.0f));
  const Color a{0.05f, 0.05f, 0.25f, 1.0f}, b{0.3f, 0.08f, 0.45f, 1.0f};
  Color c = Mix(a, b, ray);
  const float fade = 1.0f - 0.7f * Clamp01(r);
  return {c.r * fade, c.g * fade, c.b * fade, 1.0f};
}

}  // namespace

const std::vector<Pattern>& Patterns() {
  static const std::vector<Pattern> patterns = {
      {"logo", "\"VEXIL\" in gradient letters with a glow, transparent", 512, 128, Logo},
      {"glow", "a soft white spot fading to transparent", 128, 128, Glow},
      {"plasma", "a tiling colour plasma, opaque", 256, 256, Plasma},
      {"ring", "an orange ring on magenta (key it out with FFFF00FF)", 256, 256, Ring},
      {"checker", "an 8 x 8 blue checkerboard, opaque", 128, 128, Checker},
      {"sunburst", "violet rays from the centre, opaque", 512, 512, Sunburst},
      {"neon", "a violet panel framed in glowing magenta, cyan ring, opaque", 256, 256, Neon},
      {"plates", "steel plates with glowing seams, rivets and amber slots, tiling", 256, 256,
       Plates},
      {"chrome", "a sunset reflection in waving bands, tiling", 256, 256, Chrome},
      {"lattice", "a teal lattice with transparent holes, tiling", 256, 256, Lattice},
      {"bands", "gold and red rings with cream seams, tiling", 256, 256, Bands},
      {"ember", "hot ember gradient for a trail tube, opaque", 128, 128, Ember},
      {"dusk", "a night sky from indigo to a magenta horizon, opaque", 256, 256, Dusk},
      {"stars", "a star field on transparent", 512, 512, Stars},
      {"streak", "a horizontal lens streak on transparent", 512, 64, Streak},
      {"black", "opaque black, for fades", 16, 16, Black},
      {"white", "opaque white, for flashes", 16, 16, White},
      {"vignette", "black edges fading to a transparent middle", 256, 256, Vignette},
  };
  return patterns;
}

const Pattern* FindPattern(const std::string& name) {
  for (const Pattern& pattern : Patterns()) {
    if (name == pattern.name) return &pattern;
  }
  return nullptr;
}

std::vector<uint8_t> Render(const Pattern& pattern, int width, int height) {
  std::vector<uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Color c = pattern.draw((x + 0.5f) / width, (y + 0.5f) / height, width, height);
      uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(Clamp01(c.r) * 255.0f + 0.5f);
      p[1] = static_cast<uint8_t>(Clamp01(c.g) * 255.0f + 0.5f);
      p[2] = static_cast<uint8_t>(Clamp01(c.b) * 255.0f + 0.5f);
      p[3] = static_cast<uint8_t>(Clamp01(c.a) * 255.0f + 0.5f);
    }
  }
  return rgba;
}

}  // namespace imagegen

// Backdrops and overlays for the demo's 2D layers: a dusk sky, a star field, a lens streak for
// accents on the beat, plain black and white for fades and flashes, and a vignette that
// darkens the screen's edges.
#include <cmath>

#include "pattern_math.h"
#include "patterns_scenes.h"

namespace imagegen {

// A night sky from deep indigo at the top through violet to a warm magenta haze at the
// horizon, opaque; a backdrop stretched over the whole screen.
Color Dusk(float, float v, int, int) {
  static const Color kStops[] = {{0.01f, 0.01f, 0.05f, 1.0f},
                                 {0.04f, 0.03f, 0.14f, 1.0f},
                                 {0.16f, 0.05f, 0.26f, 1.0f},
                                 {0.45f, 0.1f, 0.32f, 1.0f}};
  return Ramp(kStops, 4, std::pow(v, 1.6f));
}

// Stars on a transparent background, one chance per cell of a 48 x 48 grid: soft dots of
// varied size and warmth, a few with a cross of spikes. Drawn additively.
Color Stars(float u, float v, int w, int) {
  const int cells = 48;
  const float x = u * cells, y = v * cells;
  const int cx = static_cast<int>(x), cy = static_cast<int>(y);
  float light = 0.0f;
  Color tint{1.0f, 1.0f, 1.0f, 1.0f};
  // A star may sit near a cell's edge: its neighbours can reach into this cell.
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int sx = cx + dx, sy = cy + dy;
      if (Hash(sx, sy, 31u) > 0.4f) continue;
      const float px = sx + 0.15f + 0.7f * Hash(sx, sy, 32u);
      const float py = sy + 0.15f + 0.7f * Hash(sx, sy, 33u);
      const float size = 0.025f + 0.1f * std::pow(Hash(sx, sy, 34u), 5.0f);
      const float ddx = x - px, ddy = y - py;
      const float d = std::sqrt(ddx * ddx + ddy * ddy);
      // A dot at least one pixel wide at any picture size.
      const float pixel = static_cast<float>(cells) / w;
      float s = std::exp(-d * d / ((size + pixel) * (size + pixel)));
      if (size > 0.08f) {
        const float spikes = std::exp(-std::fabs(ddx) / 0.02f) + std::exp(-std::fabs(ddy) / 0.02f);
        s += 0.5f * spikes * std::exp(-d / 0.6f);
      }
      if (s > light) {
        light = s;
        const float warm = Hash(sx, sy, 35u);
        tint = warm < 0.3f ? Color{1.0f, 0.8f, 0.6f, 1.0f}
                           : (warm > 0.8f ? Color{0.6f, 0.8f, 1.0f, 1.0f} : tint);
      }
    }
  }
  tint.a = Clamp01(light);
  return tint;
}

// A horizontal lens streak: a thin white-blue line with a wide soft halo, fading to both
// ends; transparent elsewhere. Added over a scene on an accent of the music.
Color Streak(float u, float v, int, int) {
  const float x = std::fabs(u - 0.5f) * 2.0f, y = std::fabs(v - 0.5f) * 2.0f;
  const float along = std::pow(Clamp01(1.0f - x), 1.5f);
  const float line = std::exp(-y / 0.04f) + 0.35f * std::exp(-y / 0.25f);
  const float core = std::exp(-y / 0.015f) * std::exp(-x / 0.15f);
  const float a = Clamp01(along * line + core);
  return {0.75f + 0.25f * core, 0.85f + 0.15f * core, 1.0f, a};
}

// Plain opaque black and white: full-screen fades (black, normal blending) and flashes (white,
// added) whose strength is the picture's alpha value in the script.
Color Black(float, float, int, int) {
  return {0.0f, 0.0f, 0.0f, 1.0f};
}
Color White(float, float, int, int) {
  return {1.0f, 1.0f, 1.0f, 1.0f};
}

// Black, transparent in the middle and darkening towards the edges and most in the corners.
Color Vignette(float u, float v, int, int) {
  const float x = (u - 0.5f) * 2.0f, y = (v - 0.5f) * 2.0f;
  const float r = std::sqrt(x * x + y * y) / std::sqrt(2.0f);
  return {0.0f, 0.0f, 0.0f, 0.9f * Smooth(0.35f, 1.05f, r)};
}

}  // namespace imagegen

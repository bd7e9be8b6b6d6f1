// Small shaping helpers shared by the pattern files of vexil-imagegen: clamps, smooth steps,
// colour mixing and a hash that gives the same "random" values on every machine.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "patterns.h"

namespace imagegen {

constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 2.0f * kPi;

inline float Clamp01(float x) {
  return std::min(1.0f, std::max(0.0f, x));
}
inline float Smooth(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3.0f - 2.0f * t);
}
inline Color Mix(const Color& a, const Color& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
          a.a + (b.a - a.a) * t};
}
inline Color Scaled(const Color& c, float s) {
  return {c.r * s, c.g * s, c.b * s, c.a};
}
inline Color Added(const Color& a, const Color& b, float s) {
  return {a.r + b.r * s, a.g + b.g * s, a.b + b.b * s, a.a};
}

// Integer hash of a cell to 0..1: only integer arithmetic, so every platform agrees.
inline float Hash(int x, int y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFFu) / 16777215.0f;
}

// Smooth value noise on a grid of `cells` x `cells` that wraps at the picture's edges.
inline float TilingNoise(float u, float v, int cells, uint32_t seed) {
  const float x = u * cells, y = v * cells;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = x - x0, fy = y - y0;
  const float sx = fx * fx * (3.0f - 2.0f * fx), sy = fy * fy * (3.0f - 2.0f * fy);
  auto at = [&](int cx, int cy) {
    return Hash(((cx % cells) + cells) % cells, ((cy % cells) + cells) % cells, seed);
  };
  const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
  const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
  return top + (bottom - top) * sy;
}

// A colour ramp through `count` evenly spaced stops, t in 0..1.
inline Color Ramp(const Color* stops, int count, float t) {
  const float x = Clamp01(t) * (count - 1);
  const int i = std::min(count - 2, static_cast<int>(x));
  return Mix(stops[i], stops[i + 1], x - i);
}

}  // namespace imagegen

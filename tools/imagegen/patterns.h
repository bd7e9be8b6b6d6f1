// The pictures vexil-imagegen draws: each pattern is a function from a pixel position to a
// colour, evaluated for every pixel of a picture of the requested size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace imagegen {

struct Color {
  float r, g, b, a;  // 0..1, straight (not premultiplied) alpha
};

// Colour of pixel centre (u, v) in 0..1 across and down a picture of w x h pixels.
typedef Color (*PatternFn)(float u, float v, int w, int h);

struct Pattern {
  const char* name;
  const char* description;
  int defaultWidth;
  int defaultHeight;
  PatternFn draw;
};

const std::vector<Pattern>& Patterns();
const Pattern* FindPattern(const std::string& name);

// Draws `pattern` into top-down RGBA bytes.
std::vector<uint8_t> Render(const Pattern& pattern, int width, int height);

}  // namespace imagegen

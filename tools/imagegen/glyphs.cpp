// The logo alphabet: each letter is seven rows of five bits, most significant bit left.
#include "glyphs.h"

#include <cmath>
#include <cstring>

namespace imagegen {

namespace {

struct Glyph {
  char letter;
  unsigned char rows[7];
};

constexpr Glyph kGlyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
};

const Glyph* Find(char letter) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.letter == letter) return &glyph;
  }
  return nullptr;
}

bool Lit(const Glyph* glyph, int column, int row) {
  if (!glyph || column < 0 || column > 4 || row < 0 || row > 6) return false;
  return (glyph->rows[row] >> (4 - column)) & 1;
}

}  // namespace

float TextDistance(const char* text, float x, float y) {
  const int length = static_cast<int>(std::strlen(text));
  float best = 1e9f;
  // Neighbouring letters matter near a cell's edge, so look one letter either side.
  const int centre = static_cast<int>(std::floor(x / 6.0f));
  for (int cell = centre - 1; cell <= centre + 1; ++cell) {
    if (cell < 0 || cell >= length) continue;
    const Glyph* glyph = Find(text[cell]);
    const float gx = x - cell * 6.0f;
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        if (!Lit(glyph, column, row)) continue;
        const float dx = std::fmax(std::fmax(column - gx, gx - (column + 1.0f)), 0.0f);
        const float dy = std::fmax(std::fmax(row - y, y - (row + 1.0f)), 0.0f);
        best = std::fmin(best, std::sqrt(dx * dx + dy * dy));
      }
    }
  }
  return best;
}

float TextCoverage(const char* text, float x, float y) {
  return std::fmax(0.0f, 1.0f - TextDistance(text, x, y) * 4.0f);
}

}  // namespace imagegen

// A 5 x 7 pixel alphabet for the logo pattern: enough letters to spell short titles, read as
// a coverage function so that letters can be drawn at any size with soft edges.
#pragma once

namespace imagegen {

// Distance from (x, y) to the nearest lit glyph pixel of `text`, in glyph pixels: x runs 0..6
// per letter (5 columns and a gap), y 0..7. Letters not in the alphabet are blank.
float TextDistance(const char* text, float x, float y);

// Coverage (0..1): lit pixels are 1, fading to 0 over a quarter of a glyph pixel.
float TextCoverage(const char* text, float x, float y);

}  // namespace imagegen

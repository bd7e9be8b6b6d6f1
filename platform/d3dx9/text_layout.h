// DrawText layout without any drawing: decodes the text, splits lines, expands tabs, wraps
// words and aligns each line inside a rectangle, giving pen positions per glyph.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "d3d9/windef.h"

namespace d3dx {

// UTF-8 when the bytes are valid UTF-8, otherwise Windows-1252 (the "A" functions' code page).
std::u32string DecodeText(const char* text, size_t length);

struct TextMetrics {
  int lineHeight = 0;
  int tabWidth = 0;                      // distance between tab stops
  std::function<int(char32_t)> advance;  // pen advance of one character
};

struct PlacedGlyph {
  char32_t codepoint;
  int x;        // pen position (left of the glyph origin)
  int lineTop;  // top of the line's cell
};

struct TextLayout {
  std::vector<PlacedGlyph> glyphs;
  int lineCount = 0;
  int width = 0;   // widest line
  int height = 0;  // lineCount * lineHeight
  int top = 0;     // top of the first line after vertical alignment
};

// Follows DrawText: lines break at "\n", "\r\n" or "\r" (not with DT_SINGLELINE);
// DT_EXPANDTABS moves to the next multiple of tabWidth from the line's start;
// DT_WORDBREAK wraps at blanks when a line passes the rectangle's width; DT_CENTER and
// DT_RIGHT align each line; DT_VCENTER and DT_BOTTOM place the block vertically.
TextLayout LayoutText(const std::u32string& text, const RECT& rect, DWORD format,
                      const TextMetrics& metrics);

}  // namespace d3dx

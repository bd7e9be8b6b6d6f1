// Text preparation for the "text" overlay: alignment words to DrawText flags, "|" to line
// breaks in a bounded buffer, and the text box from thousandths of the viewport.
#pragma once

#include <cstddef>

#include "d3d9/d3d9.h"

namespace effects {

// Size of the text buffer, terminator included: longer texts are cut to 4095 characters.
constexpr std::size_t kOverlayTextSize = 4096;

// DT_RIGHT for "right", DT_CENTER for "center" (any case), else DT_LEFT; always with
// DT_EXPANDTABS | DT_NOCLIP.
DWORD OverlayFormatFlags(const char* align);

// Copies `text` (null reads as "") into `buffer`, cut to fit, with every "|" a line feed.
void PrepareOverlayText(const char* text, char (&buffer)[kOverlayTextSize]);

// The box from (x, y) in thousandths of the viewport to the viewport's right and bottom
// edges; positions are truncated toward zero and held within the range of a LONG.
RECT OverlayTextBox(float x, float y, const D3DVIEWPORT9& viewport);

}  // namespace effects

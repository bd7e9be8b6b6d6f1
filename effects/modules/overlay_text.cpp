// Text preparation for the "text" overlay module.
#include "overlay_text.h"

#include <strings.h>

#include <cstring>

#include "d3dx9/d3dx9font.h"

namespace effects {

namespace {

// Truncates toward zero; NaN and values beyond a LONG are held at 0 and the LONG limits, so
// a wild keyframe cannot make an undefined conversion.
LONG TruncateToLong(float value) {
  if (!(value == value)) return 0;
  if (value >= 2147483520.0f) return 2147483520;
  if (value <= -2147483520.0f) return -2147483520;
  return static_cast<LONG>(value);
}

}  // namespace

DWORD OverlayFormatFlags(const char* align) {
  DWORD flags = DT_LEFT;
  if (align && strcasecmp(align, "right") == 0) {
    flags = DT_RIGHT;
  } else if (align && strcasecmp(align, "center") == 0) {
    flags = DT_CENTER;
  }
  return flags | DT_EXPANDTABS | DT_NOCLIP;
}

void PrepareOverlayText(const char* text, char (&buffer)[kOverlayTextSize]) {
  if (!text) text = "";
  const std::size_t length = strnlen(text, kOverlayTextSize - 1);
  for (std::size_t i = 0; i < length; ++i) buffer[i] = text[i] == '|' ? '\n' : text[i];
  buffer[length] = '\0';
}

RECT OverlayTextBox(float x, float y, const D3DVIEWPORT9& viewport) {
  RECT box;
  box.left = TruncateToLong(x * static_cast<float>(viewport.Width) * 0.001f);
  box.top = TruncateToLong(y * static_cast<float>(viewport.Height) * 0.001f);
  box.right = static_cast<LONG>(viewport.Width);
  box.bottom = static_cast<LONG>(viewport.Height);
  return box;
}

}  // namespace effects

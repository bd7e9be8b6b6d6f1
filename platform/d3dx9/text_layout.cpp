// DrawText's layout rules (line breaks, tab stops, word wrap, alignment) on decoded text.
#include "d3dx9/text_layout.h"

#include <algorithm>

#include "system/text_encoding.h"

namespace d3dx {
namespace {

int Advance(int pen, char32_t c, DWORD format, const TextMetrics& m) {
  if (c == U'\t') {
    if ((format & 0x40 /* DT_EXPANDTABS */) && m.tabWidth > 0)
      return (pen / m.tabWidth + 1) * m.tabWidth;
    return pen;
  }
  if (c < 0x20) return pen;
  return pen + m.advance(c);
}

int Measure(const std::u32string& line, DWORD format, const TextMetrics& m) {
  int pen = 0;
  for (char32_t c : line) pen = Advance(pen, c, format, m);
  return pen;
}

std::vector<std::u32string> SplitLines(const std::u32string& text, bool singleLine) {
  std::vector<std::u32string> lines(1);
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U'\r' || c == U'\n') {
      if (singleLine) continue;
      if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') ++i;
      lines.emplace_back();
      continue;
    }
    lines.back().push_back(c);
  }
  return lines;
}

// Breaks at blanks so that lines fit maxWidth where possible; a word longer than the whole
// width stays unbroken, as in DrawText.
void WrapLine(const std::u32string& line, int maxWidth, DWORD format, const TextMetrics& m,
              std::vector<std::u32string>* out) {
  size_t start = 0;
  do {
    size_t lastBlank = std::u32string::npos;
    int pen = 0;
    size_t i = start;
    for (; i < line.size(); ++i) {
      const char32_t c = line[i];
      if (c == U' ' && i > start) lastBlank = i;
      pen = Advance(pen, c, format, m);
      if (pen > maxWidth && c != U' ' && lastBlank != std::u32string::npos) break;
    }
    if (i >= line.size()) {
      out->push_back(line.substr(start));
      return;
    }
    out->push_back(line.substr(start, lastBlank - start));
    start = lastBlank;
    while (start < line.size() && line[start] == U' ') ++start;
  } while (start < line.size());
}

}  // namespace

std::u32string DecodeText(const char* text, size_t length) {
  return vexil::sys::DecodeText(text, length);
}

TextLayout LayoutText(const std::u32string& text, const RECT& rect, DWORD format,
                      const TextMetrics& metrics) {
  const bool singleLine = (format & 0x20 /* DT_SINGLELINE */) != 0;
  std::vector<std::u32string> lines;
  for (const std::u32string& hard : SplitLines(text, singleLine)) {
    if ((format & 0x10 /* DT_WORDBREAK */) && !singleLine)
      WrapLine(hard, rect.right - rect.left, format, metrics, &lines);
    else
      lines.push_back(hard);
  }

  TextLayout layout;
  layout.lineCount = static_cast<int>(lines.size());
  layout.height = layout.lineCount * metrics.lineHeight;
  layout.top = rect.top;
  if (format & 0x08 /* DT_BOTTOM */) {
    layout.top = rect.bottom - layout.height;
  } else if (format & 0x04 /* DT_VCENTER */) {
    layout.top = rect.top + (rect.bottom - rect.top - layout.height) / 2;
  }

  int lineTop = layout.top;
  for (const std::u32string& line : lines) {
    const int width = Measure(line, format, metrics);
    layout.width = std::max(layout.width, width);
    int x = rect.left;
    if (format & 0x02 /* DT_RIGHT */) {
      x = rect.right - width;
    } else if (format & 0x01 /* DT_CENTER */) {
      x = rect.left + (rect.right - rect.left - width) / 2;
    }
    int pen = 0;
    for (char32_t c : line) {
      if (c >= 0x20 && c != 0x7F) layout.glyphs.push_back({c, x + pen, lineTop});
      pen = Advance(pen, c, format, metrics);
    }
    lineTop += metrics.lineHeight;
  }
  return layout;
}

}  // namespace d3dx

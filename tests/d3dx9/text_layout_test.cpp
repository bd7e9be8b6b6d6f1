// DrawText layout rules with fixed-width metrics: line breaks, tab stops, word wrap,
// horizontal and vertical alignment, and the decoding of "A" strings.
#include <gtest/gtest.h>

#include <string>

#include "d3dx9/d3dx9font.h"
#include "d3dx9/text_layout.h"

namespace {

d3dx::TextMetrics Fixed() {
  d3dx::TextMetrics m;
  m.lineHeight = 20;
  m.tabWidth = 80;
  m.advance = [](char32_t) { return 10; };
  return m;
}

d3dx::TextLayout Layout(const char* text, DWORD format, RECT rect = {100, 50, 300, 250}) {
  const std::string s(text);
  return d3dx::LayoutText(d3dx::DecodeText(s.data(), s.size()), rect, format, Fixed());
}

TEST(D3DXTextDecode, Utf8WhenValidElseWindows1252) {
  const std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC";
  EXPECT_EQ(U"caf\u00E9 \u20AC", d3dx::DecodeText(utf8.data(), utf8.size()));
  const std::string latin = "caf\xE9 \x80";
  EXPECT_EQ(U"caf\u00E9 \u20AC", d3dx::DecodeText(latin.data(), latin.size()))
      << "bytes that are not UTF-8 read as Windows-1252";
  const std::string overlong = "\xC0\xAF";
  EXPECT_EQ(U"\u00C0\u00AF", d3dx::DecodeText(overlong.data(), overlong.size()))
      << "overlong UTF-8 is rejected";
  const std::string cut = "ab\xE2\x82";
  EXPECT_EQ(4u, d3dx::DecodeText(cut.data(), cut.size()).size()) << "a cut sequence too";
}

TEST(D3DXTextLayout, LinesBreakOnLineFeedsUnlessSingleLine) {
  d3dx::TextLayout l = Layout("ab\ncd\r\nef\rg", DT_LEFT);
  EXPECT_EQ(4, l.lineCount);
  EXPECT_EQ(80, l.height);
  ASSERT_EQ(7u, l.glyphs.size());
  EXPECT_EQ(U'c', l.glyphs[2].codepoint);
  EXPECT_EQ(100, l.glyphs[2].x) << "each line starts at the left edge";
  EXPECT_EQ(70, l.glyphs[2].lineTop) << "second line one line height lower";

  l = Layout("ab\ncd", DT_SINGLELINE);
  EXPECT_EQ(1, l.lineCount);
  ASSERT_EQ(4u, l.glyphs.size());
  EXPECT_EQ(130, l.glyphs[3].x) << "the line feed takes no room";

  l = Layout("", DT_LEFT);
  EXPECT_EQ(1, l.lineCount) << "an empty text is one empty line, as DrawText reports";
  EXPECT_TRUE(l.glyphs.empty());
}

TEST(D3DXTextLayout, TabsExpandToEightColumnStops) {
  d3dx::TextLayout l = Layout("a\tb\tc", DT_EXPANDTABS);
  ASSERT_EQ(3u, l.glyphs.size());
  EXPECT_EQ(180, l.glyphs[1].x) << "tab from column 1 to the stop at 80";
  EXPECT_EQ(260, l.glyphs[2].x);
  l = Layout("12345678\tx", DT_EXPANDTABS);
  EXPECT_EQ(260, l.glyphs[8].x) << "a tab exactly at a stop moves to the next one";
  l = Layout("a\tb", DT_LEFT);
  EXPECT_EQ(110, l.glyphs[1].x) << "without DT_EXPANDTABS a tab takes no room";
}

TEST(D3DXTextLayout, HorizontalAlignmentPerLine) {
  // Rectangle 100..300 (200 wide); "abcd" is 40 wide, "ab" 20.
  d3dx::TextLayout l = Layout("abcd\nab", DT_CENTER);
  EXPECT_EQ(180, l.glyphs[0].x);
  EXPECT_EQ(190, l.glyphs[4].x) << "each line centred on its own";
  l = Layout("abcd\nab", DT_RIGHT);
  EXPECT_EQ(260, l.glyphs[0].x);
  EXPECT_EQ(280, l.glyphs[4].x);
  EXPECT_EQ(40, l.width);

  l = Layout("abcdefghijklmnopqrstuvwxyz", DT_CENTER);
  EXPECT_EQ(70, l.glyphs[0].x) << "text wider than the box overhangs both sides";
}

TEST(D3DXTextLayout, VerticalAlignment) {
  // Rectangle 50..250 (200 high), one line of 20.
  EXPECT_EQ(50, Layout("x", DT_SINGLELINE).glyphs[0].lineTop);
  EXPECT_EQ(140, Layout("x", DT_SINGLELINE | DT_VCENTER).glyphs[0].lineTop);
  EXPECT_EQ(230, Layout("x", DT_SINGLELINE | DT_BOTTOM).glyphs[0].lineTop);
  EXPECT_EQ(210, Layout("x\ny", DT_BOTTOM).glyphs[0].lineTop) << "a two-line block";
}

TEST(D3DXTextLayout, WordBreakWrapsAtBlanks) {
  RECT narrow{0, 0, 75, 100};
  d3dx::TextLayout l = Layout("aaa bbb ccc", DT_WORDBREAK, narrow);
  ASSERT_EQ(2, l.lineCount);
  ASSERT_EQ(10u, l.glyphs.size()) << "the blank at the break is dropped: aaa bbb / ccc";
  EXPECT_EQ(U'c', l.glyphs[7].codepoint);
  EXPECT_EQ(0, l.glyphs[7].x) << "the second line starts at the left";
  EXPECT_EQ(20, l.glyphs[7].lineTop);
  EXPECT_EQ(70, l.width);

  l = Layout("abcdefghij kl", DT_WORDBREAK, RECT{0, 0, 50, 100});
  ASSERT_EQ(2, l.lineCount) << "a word wider than the box is not split";
  EXPECT_EQ(0, l.glyphs[10].x);

  l = Layout("aaa bbb ccc", DT_WORDBREAK | DT_SINGLELINE, narrow);
  EXPECT_EQ(1, l.lineCount) << "DT_SINGLELINE wins over DT_WORDBREAK";
}

}  // namespace

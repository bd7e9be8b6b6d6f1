// Face resolution and glyph rasterisation: fallback for missing faces, GDI cell heights,
// coverage in the atlas, and an atlas that grows without moving placed glyphs.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "d3dx9/font_rasterizer.h"

namespace {

LOGFONTA MakeLogFont(const char* face, LONG height, LONG weight = FW_NORMAL, BYTE italic = 0) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  lf.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

TEST(D3DXFontResolve, MissingFaceFallsBackToDejaVuSans) {
  d3dx::FontSource src;
  ASSERT_TRUE(d3dx::ResolveFont("No Such Face 42", 400, false, &src));
  EXPECT_TRUE(src.fallback);
  EXPECT_EQ("DejaVu Sans", src.family);
  EXPECT_FALSE(src.file.empty());

  ASSERT_TRUE(d3dx::ResolveFont("dejavu sans mono", 400, false, &src));
  EXPECT_FALSE(src.fallback) << "face names compare without regard to case";
  EXPECT_EQ("DejaVu Sans Mono", src.family);

  d3dx::FontSource bold;
  ASSERT_TRUE(d3dx::ResolveFont("DejaVu Sans", 700, false, &bold));
  ASSERT_TRUE(d3dx::ResolveFont("DejaVu Sans", 400, false, &src));
  EXPECT_NE(src.file, bold.file) << "weight 700 picks the bold file";
}

TEST(D3DXFontRasterizer, CellHeightAndEmHeight) {
  std::string error;
  auto cell = d3dx::FontRasterizer::Create(MakeLogFont("Verdana", 16), &error);
  ASSERT_TRUE(cell) << error;
  EXPECT_EQ(16, cell->LineHeight()) << "a positive height is the cell height";
  EXPECT_GT(cell->Ascent(), cell->Descent());

  auto em = d3dx::FontRasterizer::Create(MakeLogFont("Verdana", -16), &error);
  ASSERT_TRUE(em) << error;
  EXPECT_GT(em->LineHeight(), 16) << "a negative height is the em size, smaller than the cell";

  auto dflt = d3dx::FontRasterizer::Create(MakeLogFont("", 0), &error);
  ASSERT_TRUE(dflt) << "height 0 and no face still give a font";
  EXPECT_GT(dflt->LineHeight(), 0);
  EXPECT_GT(cell->AverageCharWidth(), 0);
}

TEST(D3DXFontRasterizer, GlyphCoverageLandsInTheAtlas) {
  std::string error;
  auto font = d3dx::FontRasterizer::Create(MakeLogFont("DejaVu Sans", 32), &error);
  ASSERT_TRUE(font) << error;
  const d3dx::GlyphInfo blank = font->Glyph(U' ');
  EXPECT_EQ(0, blank.width) << "a blank has no coverage";
  EXPECT_GT(blank.advance, 0) << "but it advances the pen";

  const d3dx::GlyphInfo a = font->Glyph(U'H');
  ASSERT_GT(a.width, 0);
  ASSERT_GT(a.height, 0);
  EXPECT_LE(a.top, font->Ascent()) << "capitals fit above the baseline";
  int covered = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      covered += font->AtlasPixels()[(a.atlasY + y) * font->AtlasWidth() + a.atlasX + x] > 128;
  EXPECT_GT(covered, a.width * 2) << "the H strokes are drawn";

  auto bold = d3dx::FontRasterizer::Create(MakeLogFont("DejaVu Sans", 32, FW_BOLD), &error);
  ASSERT_TRUE(bold);
  EXPECT_GT(bold->Advance(U'H'), font->Advance(U'H')) << "bold is wider";
}

TEST(D3DXFontRasterizer, CharactersTheFaceLacksComeFromAnotherFont) {
  // Hiragana "a" is not in DejaVu Sans; skip where no installed font has it.
  FcInit();
  FcPattern* want = FcPatternCreate();
  FcCharSet* cs = FcCharSetCreate();
  FcCharSetAddChar(cs, 0x3042);
  FcPatternAddCharSet(want, FC_CHARSET, cs);
  FcObjectSet* fields = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, want, fields);
  const bool available = fonts && fonts->nfont > 0;
  if (fonts) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(fields);
  FcCharSetDestroy(cs);
  FcPatternDestroy(want);
  if (!available) GTEST_SKIP() << "no installed font covers U+3042";

  std::string error;
  auto font = d3dx::FontRasterizer::Create(MakeLogFont("DejaVu Sans", 24), &error);
  ASSERT_TRUE(font) << error;
  const d3dx::GlyphInfo kana = font->Glyph(U'\u3042');
  EXPECT_GT(kana.width, 4) << "drawn from a font that has it, not as an empty box";
  EXPECT_GT(kana.advance, 10);
  EXPECT_LE(kana.top, font->Ascent() + 2) << "on the same baseline and size";
  const d3dx::GlyphInfo latin = font->Glyph(U'A');
  EXPECT_GT(latin.width, 0) << "the main face still draws what it has";
}

TEST(D3DXFontRasterizer, AtlasGrowsWithoutMovingGlyphs) {
  std::string error;
  auto font = d3dx::FontRasterizer::Create(MakeLogFont("DejaVu Sans", 120), &error);
  ASSERT_TRUE(font) << error;
  const d3dx::GlyphInfo first = font->Glyph(U'W');
  std::vector<uint8_t> firstPixels;
  for (int y = 0; y < first.height; ++y)
    for (int x = 0; x < first.width; ++x)
      firstPixels.push_back(
          font->AtlasPixels()[(first.atlasY + y) * font->AtlasWidth() + first.atlasX + x]);
  const int startHeight = font->AtlasHeight();
  const uint64_t startVersion = font->AtlasVersion();

  std::vector<std::pair<char32_t, d3dx::GlyphInfo>> placed;
  for (char32_t c = U'!'; c <= U'~'; ++c) placed.emplace_back(c, font->Glyph(c));
  EXPECT_GT(font->AtlasHeight(), startHeight) << "94 large glyphs need a taller atlas";
  EXPECT_NE(startVersion, font->AtlasVersion());

  int i = 0;
  for (int y = 0; y < first.height; ++y)
    for (int x = 0; x < first.width; ++x)
      ASSERT_EQ(firstPixels[i++],
                font->AtlasPixels()[(first.atlasY + y) * font->AtlasWidth() + first.atlasX + x])
          << "the first glyph's pixels stay where they were";

  for (size_t a = 0; a < placed.size(); ++a) {
    const auto& ga = placed[a].second;
    EXPECT_LE(ga.atlasX + ga.width, font->AtlasWidth());
    EXPECT_LE(ga.atlasY + ga.height, font->AtlasHeight());
    for (size_t b = a + 1; b < placed.size(); ++b) {
      const auto& gb = placed[b].second;
      const bool apart = ga.atlasX + ga.width <= gb.atlasX || gb.atlasX + gb.width <= ga.atlasX ||
                         ga.atlasY + ga.height <= gb.atlasY || gb.atlasY + gb.height <= ga.atlasY;
      if (ga.width && gb.width) {
        EXPECT_TRUE(apart) << "glyphs overlap in the atlas";
      }
    }
  }
}

}  // namespace

TEST(D3DXFontRasterizer, AllAtlasesTogetherStayWithinTheirLimit) {
  // Big glyphs of many fonts at once: each atlas may grow to 512 x 8192, but all of them
  // together stop at 32 Mi pixels; a glyph that finds no room is kept without coverage.
  std::string error;
  std::vector<std::unique_ptr<d3dx::FontRasterizer>> fonts;
  size_t dropped = 0;
  for (int i = 0; i < 24; ++i) {
    fonts.push_back(d3dx::FontRasterizer::Create(MakeLogFont("DejaVu Sans", -400 - i), &error));
    ASSERT_TRUE(fonts.back()) << error;
    for (char32_t c = U'A'; c <= U'Z'; ++c) {
      const d3dx::GlyphInfo& glyph = fonts.back()->Glyph(c);
      dropped += glyph.width == 0;
      EXPECT_GT(glyph.advance, 0) << "its advance still counts";
    }
  }
  size_t pixels = 0;
  for (const auto& font : fonts) pixels += font->AtlasPixels().size();
  EXPECT_LE(pixels, size_t{32} << 20);
  EXPECT_GT(dropped, 0u) << "24 fonts of 26 glyphs of 400 pixels do not fit";
  // Fonts that go give their room back to those made later.
  fonts.clear();
  auto later = d3dx::FontRasterizer::Create(MakeLogFont("DejaVu Sans", -400), &error);
  ASSERT_TRUE(later) << error;
  for (char32_t c = U'A'; c <= U'Z'; ++c) EXPECT_GT(later->Glyph(c).width, 0) << char(c);
}

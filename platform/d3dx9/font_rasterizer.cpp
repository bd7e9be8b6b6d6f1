// Face lookup (font_lookup.h) and FreeType glyph rendering into a shelf-packed coverage atlas.
#include "d3dx9/font_rasterizer.h"

#include <ft2build.h>
#include <strings.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "d3dx9/font_lookup.h"

namespace d3dx {
namespace {

constexpr int kMaxAtlasHeight = 8192;
// Each font's atlas starts at 512 x 64 pixels (and there are at most 256 fonts); what the
// atlases grow beyond that is shared: at most this many pixels among all fonts, so that all
// atlases together stay within 32 Mi pixels (32 MiB of coverage, four times that in their
// textures). A demo's texts use a small part of it; a script with hundreds of font sizes,
// each drawing thousands of different characters, would otherwise take gigabytes. Glyphs
// that find no room are not drawn.
constexpr size_t kMaxAtlasGrowthInAll = size_t{24} << 20;
size_t g_atlasGrowthInAll = 0;  // fonts are made and drawn on the main thread only
constexpr const char* kFallbackFamily = "DejaVu Sans";

}  // namespace

bool ResolveFont(const std::string& face, int weight, bool italic, FontSource* out) {
  FontFile found;
  if (!face.empty() && FindFontFamily(face, weight, italic, &found) &&
      ::strcasecmp(found.family.c_str(), face.c_str()) == 0) {
    out->file = found.file;
    out->index = found.index;
    out->family = found.family;
    out->fallback = false;
    return true;
  }
  // The lookup always answers with something; an unrelated face would make layouts differ
  // from machine to machine, so a missing face takes one well-known family instead.
  if (!FindFontFamily(kFallbackFamily, weight, italic, &found) &&
      !FindFontFamily("sans-serif", weight, italic, &found))
    return false;
  out->file = found.file;
  out->index = found.index;
  out->family = found.family;
  out->fallback = true;
  return true;
}

struct FontRasterizer::FreeTypeState {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  FT_F26Dot6 charSize = 0;
  int weight = 400;
  bool italic = false;
  // Faces that supply characters the main face lacks, by file and index; null entries
  // remember files that could not be opened.
  std::map<std::pair<std::string, int>, FT_Face> fallbacks;

  ~FreeTypeState() {
    for (auto& entry : fallbacks)
      if (entry.second) FT_Done_Face(entry.second);
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }

  // The face to draw c with: the main face when it has the character, else the face the
  // lookup picks for it (as Windows links fonts for characters a face lacks).
  FT_Face FaceFor(char32_t c) {
    if (c < 0x20 || FT_Get_Char_Index(face, c) != 0) return face;
    FontFile file;
    if (!FindFontForCharacter(c, weight, italic, &file)) return face;
    const auto key = std::make_pair(file.file, file.index);
    auto found = fallbacks.find(key);
    if (found == fallbacks.end()) {
      FT_Face extra = nullptr;
      if (FT_New_Face(library, key.first.c_str(), key.second, &extra) != 0 ||
          FT_Set_Char_Size(extra, 0, charSize, 72, 72) != 0) {
        if (extra) FT_Done_Face(extra);
        extra = nullptr;
      } else {
        FT_Select_Charmap(extra, FT_ENCODING_UNICODE);
      }
      found = fallbacks.emplace(key, extra).first;
    }
    return found->second ? found->second : face;
  }
};

FontRasterizer::~FontRasterizer() {
  // What the atlas grew beyond its first rows goes back to the room shared by all fonts.
  if (!atlas_.empty()) {
    g_atlasGrowthInAll -= atlas_.size() - static_cast<size_t>(atlasWidth_) * kFirstAtlasHeight;
  }
}

std::unique_ptr<FontRasterizer> FontRasterizer::Create(const LOGFONTA& logFont,
                                                       std::string* error) {
  std::unique_ptr<FontRasterizer> r(new FontRasterizer());
  const std::string faceName(logFont.lfFaceName,
                             strnlen(logFont.lfFaceName, sizeof(logFont.lfFaceName)));
  const bool bold = logFont.lfWeight >= 600;
  const bool italic = logFont.lfItalic != 0;
  if (!ResolveFont(faceName, logFont.lfWeight, italic, &r->source_)) {
    if (error) *error = "no font found for \"" + faceName + "\" nor a fallback";
    return nullptr;
  }
  r->ft_ = std::make_unique<FreeTypeState>();
  if (FT_Init_FreeType(&r->ft_->library) != 0 ||
      FT_New_Face(r->ft_->library, r->source_.file.c_str(), r->source_.index, &r->ft_->face) != 0) {
    if (error) *error = "cannot open font file " + r->source_.file;
    return nullptr;
  }
  FT_Face face = r->ft_->face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
    if (error) *error = "font is not scalable: " + r->source_.file;
    return nullptr;
  }
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);

  // GDI's cell height is the OS/2 table's Windows ascent plus descent.
  double ascentUnits = face->ascender, descentUnits = -face->descender;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
    ascentUnits = os2->usWinAscent;
    descentUnits = os2->usWinDescent;
  }
  const double cellUnits = std::max(1.0, ascentUnits + descentUnits);
  double emPixels = 12.0;
  if (logFont.lfHeight > 0) emPixels = logFont.lfHeight * face->units_per_EM / cellUnits;
  if (logFont.lfHeight < 0) emPixels = -static_cast<double>(logFont.lfHeight);
  emPixels = std::min(emPixels, 1000.0);
  r->ft_->charSize = static_cast<FT_F26Dot6>(std::lround(emPixels * 64));
  r->ft_->weight = logFont.lfWeight;
  r->ft_->italic = italic;
  if (FT_Set_Char_Size(face, 0, r->ft_->charSize, 72, 72) != 0) {
    if (error) *error = "cannot size font " + r->source_.file;
    return nullptr;
  }
  const double scale = emPixels / face->units_per_EM;
  r->ascent_ = static_cast<int>(std::lround(ascentUnits * scale));
  r->descent_ = static_cast<int>(std::lround(descentUnits * scale));
  if (logFont.lfHeight > 0) r->descent_ = logFont.lfHeight - r->ascent_;  // exact cell height

  r->antialiased_ = logFont.lfQuality != NONANTIALIASED_QUALITY;
  r->emboldenSynthetic_ = bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
  r->slantSynthetic_ = italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);

  r->atlas_.assign(static_cast<size_t>(r->atlasWidth_) * r->atlasHeight_, 0);
  if (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0) {
    r->averageWidth_ = static_cast<int>(std::lround(os2->xAvgCharWidth * scale));
  } else {
    r->averageWidth_ = r->Advance(U'x');
  }
  r->averageWidth_ = std::max(1, r->averageWidth_);
  return r;
}

bool FontRasterizer::Place(int w, int h, int* x, int* y) {
  if (w + 2 > atlasWidth_) return false;
  if (shelfX_ + w + 1 > atlasWidth_) {
    shelfY_ += shelfHeight_ + 1;
    shelfX_ = 1;
    shelfHeight_ = 0;
  }
  while (shelfY_ + h + 1 > atlasHeight_) {
    if (atlasHeight_ * 2 > kMaxAtlasHeight) return false;
    const size_t grown = atlas_.size();  // doubling adds as many pixels as there are
    if (g_atlasGrowthInAll + grown > kMaxAtlasGrowthInAll) {
      static bool told = false;
      if (!told) {
        std::fprintf(stderr,
                     "D3DX: the glyphs of all fonts fill their atlases (%zu pixels more than "
                     "the first 512 x 64 of each font): characters that find no room are "
                     "not drawn\n",
                     kMaxAtlasGrowthInAll);
        told = true;
      }
      return false;
    }
    atlasHeight_ *= 2;  // rows are appended, so placed glyphs keep their coordinates
    atlas_.resize(static_cast<size_t>(atlasWidth_) * atlasHeight_, 0);
    g_atlasGrowthInAll += grown;
  }
  *x = shelfX_;
  *y = shelfY_;
  shelfX_ += w + 1;
  shelfHeight_ = std::max(shelfHeight_, h);
  return true;
}

const GlyphInfo& FontRasterizer::Glyph(char32_t c) {
  auto found = glyphs_.find(c);
  if (found != glyphs_.end()) return found->second;

  GlyphInfo info;
  FT_Face face = ft_->FaceFor(c);
  const FT_Int32 target = antialiased_ ? FT_LOAD_TARGET_NORMAL : FT_LOAD_TARGET_MONO;
  if (FT_Load_Char(face, c, FT_LOAD_DEFAULT | target) == 0) {
    FT_GlyphSlot slot = face->glyph;
    const bool bold = face == ft_->face
                          ? emboldenSynthetic_
                          : ft_->weight >= 600 && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    const bool slanted = face == ft_->face
                             ? slantSynthetic_
                             : ft_->italic && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    if (bold) FT_GlyphSlot_Embolden(slot);
    if (slanted) FT_GlyphSlot_Oblique(slot);
    info.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, antialiased_ ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) == 0) {
      const FT_Bitmap& bm = slot->bitmap;
      int x = 0, y = 0;
      if (bm.width > 0 && bm.rows > 0 &&
          Place(static_cast<int>(bm.width), static_cast<int>(bm.rows), &x, &y)) {
        info.atlasX = x;
        info.atlasY = y;
        info.width = static_cast<int>(bm.width);
        info.height = static_cast<int>(bm.rows);
        info.left = slot->bitmap_left;
        info.top = slot->bitmap_top;
        for (unsigned row = 0; row < bm.rows; ++row) {
          const unsigned char* src = bm.buffer + static_cast<ptrdiff_t>(row) * bm.pitch;
          uint8_t* dst = &atlas_[static_cast<size_t>(y + row) * atlasWidth_ + x];
          for (unsigned col = 0; col < bm.width; ++col) {
            dst[col] = bm.pixel_mode == FT_PIXEL_MODE_MONO
                           ? ((src[col >> 3] >> (7 - (col & 7))) & 1 ? 255 : 0)
                           : src[col];
          }
        }
        ++atlasVersion_;
      }
    }
  }
  return glyphs_.emplace(c, info).first->second;
}

}  // namespace d3dx

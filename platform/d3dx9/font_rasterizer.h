// Font face resolution (fontconfig) and glyph rasterisation (FreeType) into an 8-bit
// coverage atlas, with GDI-style metrics. Knows nothing of devices, so it is tested directly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "d3dx9/d3dx9font.h"

namespace d3dx {

struct FontSource {
  std::string file;
  int index = 0;
  std::string family;     // the family actually used
  bool fallback = false;  // the requested face was not found
};

// Finds the font file for a face name, weight and slant; a face the system does not have
// resolves to DejaVu Sans (or fontconfig's default sans when that is missing too).
bool ResolveFont(const std::string& face, int weight, bool italic, FontSource* out);

struct GlyphInfo {
  int atlasX = 0, atlasY = 0;  // top-left of the coverage in the atlas
  int width = 0, height = 0;   // coverage size; 0 for blanks
  int left = 0;                // from the pen position to the coverage's left edge
  int top = 0;                 // from the baseline up to the coverage's top edge
  int advance = 0;
};

class FontRasterizer {
 public:
  // Null (with a reason) when no usable font file is found.
  static std::unique_ptr<FontRasterizer> Create(const LOGFONTA& logFont, std::string* error);
  ~FontRasterizer();

  const FontSource& Source() const { return source_; }
  int Ascent() const { return ascent_; }
  int Descent() const { return descent_; }
  int LineHeight() const { return ascent_ + descent_; }
  int AverageCharWidth() const { return averageWidth_; }

  // Rasterises on first use. The reference stays valid until the next Glyph call.
  const GlyphInfo& Glyph(char32_t c);
  int Advance(char32_t c) { return Glyph(c).advance; }

  int AtlasWidth() const { return atlasWidth_; }
  int AtlasHeight() const { return atlasHeight_; }
  const std::vector<uint8_t>& AtlasPixels() const { return atlas_; }
  // Changes whenever the atlas gains glyphs or grows.
  uint64_t AtlasVersion() const { return atlasVersion_; }

 private:
  FontRasterizer() = default;
  bool Place(int w, int h, int* x, int* y);

  struct FreeTypeState;
  std::unique_ptr<FreeTypeState> ft_;
  FontSource source_;
  bool antialiased_ = true;
  bool emboldenSynthetic_ = false;
  bool slantSynthetic_ = false;
  int ascent_ = 0, descent_ = 0, averageWidth_ = 0;

  std::unordered_map<char32_t, GlyphInfo> glyphs_;
  // Small at first: most fonts draw a few dozen characters of a few dozen pixels.
  static constexpr int kFirstAtlasHeight = 64;
  int atlasWidth_ = 512, atlasHeight_ = kFirstAtlasHeight;
  int shelfX_ = 1, shelfY_ = 1, shelfHeight_ = 0;
  std::vector<uint8_t> atlas_;
  uint64_t atlasVersion_ = 0;
};

}  // namespace d3dx

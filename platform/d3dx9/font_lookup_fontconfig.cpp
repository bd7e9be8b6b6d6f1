// Font files through fontconfig: its best match for a family and style, and the font it
// picks for a character the main face lacks (as Windows links fonts for such characters).
#include <fontconfig/fontconfig.h>

#include "d3dx9/font_lookup.h"

namespace d3dx {
namespace {

// Adds the wanted weight and slant to a pattern, lets fontconfig fill in its defaults and
// returns its best match (or null). Takes ownership of the pattern.
FcPattern* MatchStyled(FcPattern* pattern, int weight, bool italic) {
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight <= 0 ? 400 : weight));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  return match;
}

}  // namespace

bool FindFontFamily(const std::string& family, int weight, bool italic, FontFile* out) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPattern* match = MatchStyled(pattern, weight, italic);
  if (!match) return false;
  FcChar8* file = nullptr;
  FcChar8* matched = nullptr;
  int index = 0;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (ok) {
    out->file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    out->index = index;
    out->family.clear();
    if (FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch && matched)
      out->family = reinterpret_cast<const char*>(matched);
  }
  FcPatternDestroy(match);
  return ok;
}

bool FindFontForCharacter(char32_t c, int weight, bool italic, FontFile* out) {
  FcPattern* pattern = FcPatternCreate();
  FcCharSet* charset = FcCharSetCreate();
  FcCharSetAddChar(charset, c);
  FcPatternAddCharSet(pattern, FC_CHARSET, charset);
  FcCharSetDestroy(charset);
  FcPattern* match = MatchStyled(pattern, weight, italic);
  if (!match) return false;
  FcChar8* file = nullptr;
  FcCharSet* covered = nullptr;
  int index = 0;
  // fontconfig answers with its closest font even when none covers the character.
  const bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file &&
                  FcPatternGetCharSet(match, FC_CHARSET, 0, &covered) == FcResultMatch &&
                  FcCharSetHasChar(covered, c);
  if (ok) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    out->file = reinterpret_cast<const char*>(file);
    out->index = index;
  }
  FcPatternDestroy(match);
  return ok;
}

}  // namespace d3dx

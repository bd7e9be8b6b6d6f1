// Font files in the browser build: the fonts packed with the page in one folder (the same
// DejaVu files a Debian system has, at the same path), read once with FreeType for their
// family and style. A family is matched without regard to case, then the style nearest the
// wanted weight and slant; the generic names map to DejaVu's families.
#include <dirent.h>
#include <ft2build.h>
#include <strings.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "d3dx9/font_lookup.h"

namespace d3dx {
namespace {

constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu";

struct PackedFace {
  FontFile file;
  bool bold = false;
  bool italic = false;
};

struct PackedFonts {
  FT_Library library = nullptr;
  std::vector<PackedFace> faces;
  std::vector<FT_Face> open;  // kept open for character lookups, in the order of `faces`

  PackedFonts() {
    if (FT_Init_FreeType(&library) != 0) return;
    DIR* folder = opendir(kFontFolder);
    if (!folder) return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(folder)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".ttf") == 0) {
        names.push_back(name);
      }
    }
    closedir(folder);
    std::sort(names.begin(), names.end());  // the same choice whatever the listing order
    for (const std::string& name : names) {
      const std::string path = std::string(kFontFolder) + "/" + name;
      FT_Face face = nullptr;
      if (FT_New_Face(library, path.c_str(), 0, &face) != 0) continue;
      PackedFace packed;
      packed.file.file = path;
      packed.file.family = face->family_name ? face->family_name : "";
      packed.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
      packed.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
      FT_Select_Charmap(face, FT_ENCODING_UNICODE);
      faces.push_back(packed);
      open.push_back(face);
    }
  }
  ~PackedFonts() {
    for (FT_Face face : open) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }

  // The face of `family` nearest the style, or -1.
  int Best(const std::string& family, int weight, bool italic) const {
    const bool bold = weight >= 600;
    int best = -1, bestScore = 1 << 30;
    for (size_t i = 0; i < faces.size(); ++i) {
      if (strcasecmp(faces[i].file.family.c_str(), family.c_str()) != 0) continue;
      const int score = (faces[i].bold != bold ? 2 : 0) + (faces[i].italic != italic ? 1 : 0);
      if (score < bestScore) best = static_cast<int>(i), bestScore = score;
    }
    return best;
  }
};

const PackedFonts& Fonts() {
  static const PackedFonts fonts;
  return fonts;
}

std::string GenericFamily(const std::string& family) {
  if (strcasecmp(family.c_str(), "sans-serif") == 0 || strcasecmp(family.c_str(), "sans") == 0)
    return "DejaVu Sans";
  if (strcasecmp(family.c_str(), "serif") == 0) return "DejaVu Serif";
  if (strcasecmp(family.c_str(), "monospace") == 0) return "DejaVu Sans Mono";
  return family;
}

}  // namespace

bool FindFontFamily(const std::string& family, int weight, bool italic, FontFile* out) {
  const PackedFonts& fonts = Fonts();
  int found = fonts.Best(GenericFamily(family), weight, italic);
  // Like fontconfig, answer with the default family when the asked one is missing.
  if (found < 0) found = fonts.Best("DejaVu Sans", weight, italic);
  if (found < 0 && !fonts.faces.empty()) found = 0;
  if (found < 0) return false;
  *out = fonts.faces[found].file;
  return true;
}

bool FindFontForCharacter(char32_t c, int weight, bool italic, FontFile* out) {
  const PackedFonts& fonts = Fonts();
  const bool bold = weight >= 600;
  int best = -1, bestScore = 1 << 30;
  for (size_t i = 0; i < fonts.faces.size(); ++i) {
    if (FT_Get_Char_Index(fonts.open[i], c) == 0) continue;
    const int score =
        (fonts.faces[i].bold != bold ? 2 : 0) + (fonts.faces[i].italic != italic ? 1 : 0);
    if (score < bestScore) best = static_cast<int>(i), bestScore = score;
  }
  if (best < 0) return false;
  *out = fonts.faces[best].file;
  return true;
}

}  // namespace d3dx

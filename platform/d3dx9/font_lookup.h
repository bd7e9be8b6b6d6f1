// Where font files come from: fontconfig natively; in the browser build, the fonts packed
// with the page (platform/d3dx9/web/font_lookup_packed.cpp).
#pragma once

#include <string>

namespace d3dx {

struct FontFile {
  std::string file;
  int index = 0;       // the face within the file
  std::string family;  // the family the file holds (may differ from the one asked for)
};

// The best file for a family, weight (100-900) and slant; the answer may be of another
// family when the system has no such one. False when there is no font at all.
bool FindFontFamily(const std::string& family, int weight, bool italic, FontFile* out);

// A file whose face has character `c`, near the weight and slant; false when none has it.
bool FindFontForCharacter(char32_t c, int weight, bool italic, FontFile* out);

}  // namespace d3dx

// Unknown attributes and the near miss they probably are.
#include "script/script_attributes.h"

#include <tinyxml.h>

#include <algorithm>
#include <cctype>
#include <vector>

#include "script/widgetmanager.h"

namespace {

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Edits between a and b: insertions, deletions, substitutions and swaps of neighbours.
size_t EditDistance(const std::string& a, const std::string& b) {
  const size_t n = a.size();
  const size_t m = b.size();
  std::vector<std::vector<size_t>> d(n + 1, std::vector<size_t>(m + 1));
  for (size_t i = 0; i <= n; ++i) d[i][0] = i;
  for (size_t j = 0; j <= m; ++j) d[0][j] = j;
  for (size_t i = 1; i <= n; ++i) {
    for (size_t j = 1; j <= m; ++j) {
      const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[n][m];
}

}  // namespace

std::string NearestKnownName(const std::string& name, std::initializer_list<const char*> known) {
  // Names of attributes and elements are short words: longer input is no typo of one.
  constexpr size_t kLongestName = 64;
  if (name.empty() || name.size() > kLongestName) return "";
  const std::string lower = Lower(name);
  std::string best;
  size_t bestDistance = 0;
  for (const char* candidate : known) {
    const size_t distance = EditDistance(lower, Lower(candidate));
    // One edit in short names, two from five letters on: "ende" is "end", "x" is not "y".
    const size_t allowed = std::max<size_t>(1, std::min<size_t>(2, (lower.size() - 1) / 2));
    const bool close = distance <= allowed && distance < std::string(candidate).size();
    if (close && (best.empty() || distance < bestDistance)) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

std::string UnknownAttributeText(const TiXmlElement* element, const char* attribute,
                                 std::initializer_list<const char*> known) {
  std::string text = "<" + std::string(element->Value()) + "> has no attribute \"" + attribute +
                     "\", so it is ignored";
  const std::string nearest = NearestKnownName(attribute, known);
  if (!nearest.empty()) text += ": did you mean \"" + nearest + "\"?";
  return text;
}

void ReportUnknownAttributes(const CWidgetManager* widgets, const TiXmlElement* element,
                             std::initializer_list<const char*> known) {
  if (!widgets || !element || !widgets->IsReporting()) return;
  for (const TiXmlAttribute* attribute = element->FirstAttribute(); attribute;
       attribute = attribute->Next()) {
    const char* name = attribute->Name();
    // Attribute names are matched exactly, as the XML library does.
    const bool read = std::any_of(known.begin(), known.end(),
                                  [name](const char* k) { return std::string(k) == name; });
    if (!read) widgets->Report(element->Row(), UnknownAttributeText(element, name, known));
  }
}

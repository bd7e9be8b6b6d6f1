// The module types of the effect library's catalogue, and type names written as the script
// wrote them compared the way the player compares them (without regard to case).
#pragma once

#include <cctype>
#include <cstdint>
#include <set>
#include <string>

#include "catalogue.h"

namespace vexil::test {

inline std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Every module type the library offers, in lower case.
inline std::set<std::string> CatalogueModuleTypes() {
  std::set<std::string> types;
  for (int i = 0;; ++i) {
    char name[260] = {};
    uint8_t kind = 0;
    if (!GetName(i, name, &kind)) break;
    if (kind == PLUGIN_KIND_MODULE) types.insert(LowerCase(name));
  }
  return types;
}

}  // namespace vexil::test

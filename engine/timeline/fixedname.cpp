// Bounded copies into fixed-size name fields.
#include "timeline/fixedname.h"

#include <cstring>

void CopyFixedName(char* field, std::size_t size, const char* text) {
  if (!field || size == 0) return;
  if (!text) text = "";
  const std::size_t length = strnlen(text, size - 1);
  std::memcpy(field, text, length);
  field[length] = '\0';
}

std::string FoldedName(const char* name) {
  std::string key = name ? name : "";
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

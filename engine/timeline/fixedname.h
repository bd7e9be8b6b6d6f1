// Copying script names into the fixed-size, zero-terminated name fields of resources and
// texture entries: longer names are cut so that nothing is written past the field's end. And
// the key that finds such a name without regard to case.
#pragma once

#include <cstddef>
#include <string>

// Copies `text` (null reads as "") into `field` of `size` characters, keeping at most
// size - 1 characters and always terminating the field.
void CopyFixedName(char* field, std::size_t size, const char* text);

// The key under which a name is found without regard to case (as strcasecmp compares them in
// the C locale): its ASCII letters in lower case, every other byte as it is.
std::string FoldedName(const char* name);

// Copying script names into the fixed-size, zero-terminated name fields of resources and
// texture entries: longer names are cut so that nothing is written past the field's end.
#pragma once

#include <cstddef>

// Copies `text` (null reads as "") into `field` of `size` characters, keeping at most
// size - 1 characters and always terminating the field.
void CopyFixedName(char* field, std::size_t size, const char* text);

// Text from demos made on Windows: names and strings are UTF-8 when their bytes are valid
// UTF-8, and otherwise Windows-1252, the code page of the "A" functions those demos called.
#pragma once

#include <cstddef>
#include <string>

namespace vexil {
namespace sys {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points
// past U+10FFFF). Plain ASCII is.
bool IsUtf8(const char* text, size_t length);

// The characters of `text`: decoded as UTF-8 when valid, else as Windows-1252 (the five bytes
// the code page leaves undefined become U+FFFD).
std::u32string DecodeText(const char* text, size_t length);

// Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(const char* text, size_t length);

// A name or text for a message: as it is when valid UTF-8, else converted from Windows-1252.
std::string Printable(const std::string& text);

}  // namespace sys
}  // namespace vexil

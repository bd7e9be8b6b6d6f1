// UTF-8 validation and decoding, Windows-1252 decoding.
#include "system/text_encoding.h"

namespace vexil {
namespace sys {
namespace {

// Code points of the bytes 80..9F hex; the rest of the code page equals Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char32_t Cp1252Char(unsigned char c) {
  return c >= 0x80 && c < 0xA0 ? char32_t(kCp1252High[c - 0x80]) : char32_t(c);
}

// Decodes into `out` when given one; false at the first ill-formed sequence.
bool DecodeUtf8(const unsigned char* s, size_t n, std::u32string* out) {
  for (size_t i = 0; i < n;) {
    const unsigned char c = s[i];
    if (c < 0x80) {
      if (out) out->push_back(c);
      ++i;
      continue;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07, min = 0x10000;
    } else {
      return false;
    }
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= n || (s[i + k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    if (out) out->push_back(cp);
    i += extra + 1;
  }
  return true;
}

void AppendUtf8(std::string* out, char32_t cp) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

bool IsUtf8(const char* text, size_t length) {
  return DecodeUtf8(reinterpret_cast<const unsigned char*>(text), length, nullptr);
}

std::u32string DecodeText(const char* text, size_t length) {
  std::u32string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  if (DecodeUtf8(bytes, length, &out)) return out;
  out.clear();
  for (size_t i = 0; i < length; ++i) out.push_back(Cp1252Char(bytes[i]));
  return out;
}

std::string Cp1252ToUtf8(const char* text, size_t length) {
  std::string out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  for (size_t i = 0; i < length; ++i) AppendUtf8(&out, Cp1252Char(bytes[i]));
  return out;
}

std::string Printable(const std::string& text) {
  return IsUtf8(text.data(), text.size()) ? text : Cp1252ToUtf8(text.data(), text.size());
}

}  // namespace sys
}  // namespace vexil

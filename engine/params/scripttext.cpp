// Script text conversions with the C library's atoi/atof/strtoul semantics, made safe for
// 64-bit hosts (long is wider than the 32-bit fields they fill).
#include "params/scripttext.h"

#include <tinyxml.h>

#include <locale.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

float ScriptFloat(const char* text) {
  return static_cast<float>(ScriptDouble(text));
}

double ScriptDouble(const char* text) {
  if (!text) return 0.0;
  // Scripts always write a decimal point, whatever locale a toolkit in the player may set.
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  return c_locale ? strtod_l(text, nullptr, c_locale) : std::strtod(text, nullptr);
}

int32_t ScriptInt(const char* text) {
  if (!text) return 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

uint32_t ScriptHex32(const char* text) {
  if (!text) return 0;
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
    // strtoull would accept white space or a second sign here; strtoul after a sign does not.
    if (std::isspace(static_cast<unsigned char>(*text)) || *text == '+' || *text == '-') return 0;
  }
  errno = 0;
  const unsigned long long value = std::strtoull(text, nullptr, 16);
  if (errno == ERANGE || value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  const uint32_t magnitude = static_cast<uint32_t>(value);
  return negative ? 0u - magnitude : magnitude;
}

uint32_t ScriptColor(const char* text) {
  // The first character is the "#"; an empty text has nothing after it to read.
  if (!text || !*text) return 0;
  return ScriptHex32(text + 1);
}

uint32_t ScriptKeyColor(const char* text) {
  const uint32_t color = ScriptColor(text);
  if (text && std::strlen(text) == 9) return color;
  return color | 0xFF000000u;
}

char* ScriptCopyText(const char* text) {
  if (!text) text = "";
  const std::size_t length = std::strlen(text);
  char* copy = new char[length + 1];
  std::memcpy(copy, text, length + 1);
  return copy;
}

int32_t TruncateToLong(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483648.0f) return INT32_MAX;
  if (value <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(value);
}

const char* AttributeText(const TiXmlElement* element, const char* name) {
  const char* text = element ? element->Attribute(name) : nullptr;
  return text ? text : "";
}

float AttributeFloat(const TiXmlElement* element, const char* name) {
  return ScriptFloat(AttributeText(element, name));
}

int32_t AttributeInt(const TiXmlElement* element, const char* name) {
  return ScriptInt(AttributeText(element, name));
}

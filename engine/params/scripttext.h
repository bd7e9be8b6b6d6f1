// Conversions of script attribute text into numbers, colours and owned copies. They never
// fail: leading white space is skipped, reading stops at the first unfit character, and
// text without a number (or no text at all) gives 0.
#pragma once

#include <cstdint>

class TiXmlElement;

// Decimal floating-point text, as atof reads it.
float ScriptFloat(const char* text);
// The same in double precision, for numbers that must stay exact (beats, tempo).
double ScriptDouble(const char* text);
// Decimal integer text, as atoi reads it; values beyond 32 bits saturate.
int32_t ScriptInt(const char* text);
// Hexadecimal text, as a 32-bit strtoul reads it: optional sign (a minus negates modulo
// 2^32), optional "0x"; a number beyond 32 bits saturates to FFFFFFFF.
uint32_t ScriptHex32(const char* text);
// A colour as a constant "color" reads it: the first character (the "#") is skipped and the
// rest is hexadecimal AARRGGBB, used as written.
uint32_t ScriptColor(const char* text);
// A colour as a key reads it: like ScriptColor, but unless the text has exactly 9
// characters ("#AARRGGBB") alpha is forced to FF, so "#FF0000" is opaque red.
uint32_t ScriptKeyColor(const char* text);
// A new[]-allocated copy of the text ("" for null); the caller delete[]s it.
char* ScriptCopyText(const char* text);
// Truncates toward zero into a 32-bit long; out-of-range values saturate and NaN gives 0.
int32_t TruncateToLong(float value);

// Attribute readers: the named attribute's text converted as above (absent reads as "").
float AttributeFloat(const TiXmlElement* element, const char* name);
int32_t AttributeInt(const TiXmlElement* element, const char* name);
const char* AttributeText(const TiXmlElement* element, const char* name);

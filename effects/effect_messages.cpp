// Message texts of the effect library and their display through the platform message box.
#include "effect_messages.h"

#include "system/message_box.h"

namespace effects {

const char kMsgVertexBufferFailed[] = "Fel vid skapande av vertexbuffert";
const char kMsgIndexBufferFailed[] = "Fel vid skapande av indexbuffert";
const char kMsgLockFailed[] = "Fel vid l\xE5sning";
const char kMsgFileNotFound[] = "File not found";
const char kMsgFontFailed[] = "Error creating font";

const char kCaptionVexil[] = "VEXIL";
const char kCaptionVexilError[] = "VEXIL ERROR";
const char kCaptionError[] = "Error";

namespace {

// Code points of the bytes 80..9F hex; 0 marks the five bytes the code page leaves undefined.
constexpr char16_t kHighControlRange[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

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

std::string Cp1252ToUtf8(const char* text) {
  std::string out;
  if (!text) return out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    char32_t cp = *p;
    if (cp >= 0x80 && cp < 0xA0) {
      cp = kHighControlRange[cp - 0x80];
      if (cp == 0) cp = 0xFFFD;
    }
    AppendUtf8(&out, cp);
  }
  return out;
}

void ShowEffectMessage(const char* text, const char* caption, unsigned style) {
  MessageBoxA(nullptr, Cp1252ToUtf8(text).c_str(), Cp1252ToUtf8(caption).c_str(), style);
}

}  // namespace effects

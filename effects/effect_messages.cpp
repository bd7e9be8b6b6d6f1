// Message texts of the effect library and their display through the platform message box.
#include "effect_messages.h"

#include <cstring>

#include "system/message_box.h"
#include "system/text_encoding.h"

namespace effects {

const char kMsgVertexBufferFailed[] = "Fel vid skapande av vertexbuffert";
const char kMsgIndexBufferFailed[] = "Fel vid skapande av indexbuffert";
const char kMsgLockFailed[] = "Fel vid l\xE5sning";
const char kMsgFileNotFound[] = "File not found";
const char kMsgFontFailed[] = "Error creating font";

const char kCaptionVexil[] = "VEXIL";
const char kCaptionVexilError[] = "VEXIL ERROR";
const char kCaptionError[] = "Error";

std::string Cp1252ToUtf8(const char* text) {
  return text ? vexil::sys::Cp1252ToUtf8(text, std::strlen(text)) : std::string();
}

void ShowEffectMessage(const char* text, const char* caption, unsigned style) {
  MessageBoxA(nullptr, Cp1252ToUtf8(text).c_str(), Cp1252ToUtf8(caption).c_str(), style);
}

}  // namespace effects

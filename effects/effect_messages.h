// The fixed error reports of the effect library: texts and captions shown in a modal message
// box (and copied to stderr by the platform), stored in Windows-1252 as demo makers know them.
#pragma once

#include <string>

namespace effects {

// Texts, Windows-1252 bytes ("\xE5" is the letter a with ring above).
extern const char kMsgVertexBufferFailed[];
extern const char kMsgIndexBufferFailed[];
extern const char kMsgLockFailed[];
extern const char kMsgFileNotFound[];
extern const char kMsgFontFailed[];

// Captions.
extern const char kCaptionVexil[];
extern const char kCaptionVexilError[];
extern const char kCaptionError[];

// Windows-1252 text as UTF-8, for display on this platform. Bytes without a character in the
// code page (81, 8D, 8F, 90, 9D hex) become U+FFFD.
std::string Cp1252ToUtf8(const char* text);

// Shows a modal box without owner: `text` and `caption` in Windows-1252, `style` MB_* flags.
void ShowEffectMessage(const char* text, const char* caption, unsigned style);

}  // namespace effects

// Message boxes for errors the user must see: a platform dialog when a display is there,
// and always a copy on stderr (the only output when headless).
#pragma once

#include <functional>
#include <string>

namespace vexil {
namespace sys {

enum class MessageIcon { kError, kWarning, kInformation };

// Shows `text` with `caption`; owner is the parent window (an SDL_Window*) or null.
// Blocks until the user closes the box. Never fails visibly: stderr always has the text.
void ShowMessageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                    void* owner = nullptr);

// Receives the messages instead of boxes while it is set (a player that shows errors in its
// own window, where a modal box would stop the demo); stderr still gets its copy.
using MessageSink = std::function<void(const std::string& caption, const std::string& text)>;
// Sets the sink (an empty one brings the boxes back); returns the previous sink.
MessageSink SetMessageSink(MessageSink sink);

}  // namespace sys
}  // namespace vexil

// The Win32 form the engine's and effects' error paths are written against.
#ifndef MB_OK
#define MB_OK 0x00000000u
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define IDOK 1
#endif

// Shows the box with the icon named in `type` (MB_ICON*); answers IDOK.
int MessageBoxA(void* owner, const char* text, const char* caption, unsigned type);

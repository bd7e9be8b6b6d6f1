// Message boxes over SDL_ShowSimpleMessageBox with a stderr copy for logs and headless runs.
#include "system/message_box.h"

#include <SDL.h>

#include <cstdio>

#include "system/video.h"

#ifdef __EMSCRIPTEN__
#include "system/browser.h"
#endif

namespace vexil {
namespace sys {

namespace {
MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}
}  // namespace

MessageSink SetMessageSink(MessageSink sink) {
  MessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

void ShowMessageBox(const std::string& caption, const std::string& text, MessageIcon icon,
                    void* owner) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  std::fflush(stderr);
  if (Sink()) {
    Sink()(caption, text);
    return;
  }
#ifdef __EMSCRIPTEN__
  // In a browser the message shows in the page, which has room for it.
  (void)owner;
  ShowInPage(caption, text, icon == MessageIcon::kError);
  return;
#endif
  if (IsHeadless()) return;

  Uint32 flags = SDL_MESSAGEBOX_ERROR;
  if (icon == MessageIcon::kWarning) flags = SDL_MESSAGEBOX_WARNING;
  if (icon == MessageIcon::kInformation) flags = SDL_MESSAGEBOX_INFORMATION;
  // A failure here (no usable display after all) is covered by the stderr copy.
  SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), static_cast<SDL_Window*>(owner));
}

}  // namespace sys
}  // namespace vexil

int MessageBoxA(void* owner, const char* text, const char* caption, unsigned type) {
  using vexil::sys::MessageIcon;
  MessageIcon icon = MessageIcon::kInformation;
  switch (type & 0xF0u) {
    case MB_ICONHAND:
      icon = MessageIcon::kError;
      break;
    case MB_ICONEXCLAMATION:
      icon = MessageIcon::kWarning;
      break;
    default:
      break;
  }
  vexil::sys::ShowMessageBox(caption ? caption : "Error", text ? text : "", icon, owner);
  return IDOK;
}

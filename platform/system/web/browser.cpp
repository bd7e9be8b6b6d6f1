// The page's side of the browser build: animation frames, messages and the transport. The
// page (player/web/index.html) provides Module.vexilShowMessage and Module.vexilTransport.
#include "system/browser.h"

#include <emscripten.h>

namespace {

EM_ASYNC_JS(void, vexil_wait_animation_frame, (), {
  await new Promise(function(resume) { requestAnimationFrame(function() { resume(); }); });
});

EM_JS(void, vexil_show_in_page, (const char* caption, const char* text, int error), {
  var c = UTF8ToString(caption), t = UTF8ToString(text);
  if (Module.vexilShowMessage) {
    Module.vexilShowMessage(c, t, !!error);
  } else {
    (error ? console.error : console.log)(c + ": " + t);
  }
});

// 0 when the page has no command waiting; else 1 seek (to *ms), 2 pause, 3 play.
EM_JS(int, vexil_take_page_command, (double* ms), {
  var transport = Module.vexilTransport;
  var command = transport && transport.commands.shift();
  if (!command) return 0;
  HEAPF64[ms >> 3] = Number(command.ms) || 0;
  // "==", not its strict form, which the C++ formatter would split.
  return command.kind == "seek" ? 1 : command.kind == "pause" ? 2 : 3;
});

EM_JS(void, vexil_tell_page_frame_time, (double ms), {
  if (Module.vexilTransport) Module.vexilTransport.frameTime = ms;
});

}  // namespace

namespace vexil {
namespace sys {

void WaitForBrowserFrame() {
  vexil_wait_animation_frame();
}

void ShowInPage(const std::string& caption, const std::string& text, bool error) {
  vexil_show_in_page(caption.c_str(), text.c_str(), error ? 1 : 0);
}

bool TakePageCommand(PageCommand* command) {
  double ms = 0.0;
  switch (vexil_take_page_command(&ms)) {
    case 1:
      command->kind = PageCommandKind::kSeek;
      command->ms = ms;
      return true;
    case 2:
      command->kind = PageCommandKind::kPause;
      return true;
    case 3:
      command->kind = PageCommandKind::kPlay;
      return true;
    default:
      return false;
  }
}

void TellPageFrameTime(double ms) {
  vexil_tell_page_frame_time(ms);
}

}  // namespace sys
}  // namespace vexil

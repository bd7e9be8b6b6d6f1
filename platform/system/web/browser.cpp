// The page's side of the browser build: animation frames, messages and the demo clock. The
// page (player/web/index.html) provides Module.vexilShowMessage and Module.vexilClock.
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

EM_JS(double, vexil_page_clock_us, (),
      { return (Module.vexilClock ? Module.vexilClock.now() : performance.now()) * 1000; });

}  // namespace

namespace vexil {
namespace sys {

void WaitForBrowserFrame() {
  vexil_wait_animation_frame();
}

void ShowInPage(const std::string& caption, const std::string& text, bool error) {
  vexil_show_in_page(caption.c_str(), text.c_str(), error ? 1 : 0);
}

double PageClockMicroseconds() {
  return vexil_page_clock_us();
}

}  // namespace sys
}  // namespace vexil

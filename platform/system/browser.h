// What only the browser build has: the page around the player (player/web/index.html). Defined in
// system/web/browser.cpp, which only the browser build compiles.
#pragma once

#include <string>

namespace vexil {
namespace sys {

// Gives control back to the browser until its next animation frame: the page is drawn, its
// events and the sound run, and the demo continues. Frames are paced by the display.
void WaitForBrowserFrame();

// Shows a message in the page itself (a person may have no console open).
void ShowInPage(const std::string& caption, const std::string& text, bool error);

// What the page asks of the demo's time (Module.vexilTransport): a link may open the demo
// paused at a moment, and the browser test reads frames at chosen demo times.
enum class PageCommandKind { kSeek, kPause, kPlay };
struct PageCommand {
  PageCommandKind kind = PageCommandKind::kPlay;
  double ms = 0.0;  // the demo time of a seek
};
// The oldest command the page has not yet handed over; false when there is none.
bool TakePageCommand(PageCommand* command);
// Tells the page the demo time of the frame about to be drawn (its tests check which frame
// they read).
void TellPageFrameTime(double ms);

}  // namespace sys
}  // namespace vexil

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

// The page's demo clock in microseconds: it runs from the page's start, and the page may
// hold it or set it (its tests read frames at chosen demo times).
double PageClockMicroseconds();

}  // namespace sys
}  // namespace vexil

// Keyboard state in the GetAsyncKeyState form, addressed by Win32 virtual-key codes:
// bit 15 = down now, bit 0 = pressed since the last query of that key. The source is
// replaceable so that tests can press keys without a keyboard.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

namespace vexil {
namespace sys {

// Virtual-key codes used by the engine (the Win32 values).
enum VirtualKey : int {
  kVkBack = 0x08,
  kVkTab = 0x09,
  kVkReturn = 0x0D,
  kVkShift = 0x10,
  kVkControl = 0x11,
  kVkMenu = 0x12,
  kVkPause = 0x13,
  kVkEscape = 0x1B,
  kVkSpace = 0x20,
  kVkPrior = 0x21,
  kVkNext = 0x22,
  kVkEnd = 0x23,
  kVkHome = 0x24,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
  kVkInsert = 0x2D,
  kVkDelete = 0x2E,
  kVkF1 = 0x70,  // F1..F24 follow in order
};

class KeySource {
 public:
  virtual ~KeySource() = default;
  // GetAsyncKeyState semantics; querying clears the "pressed since" bit of that key.
  virtual int16_t Query(int virtual_key) = 0;
};

// Key state kept from key events: the platform's events feed the default instance, tests
// feed their own. Thread-safe, since events may be delivered off the rendering thread.
class KeyTracker : public KeySource {
 public:
  void OnKeyDown(int virtual_key, bool repeat = false);
  void OnKeyUp(int virtual_key);
  // Presses and releases a key: it reads as pressed once, not as down.
  void Tap(int virtual_key);
  void Reset();
  int16_t Query(int virtual_key) override;

 private:
  std::mutex mutex_;
  std::array<bool, 256> down_{};
  std::array<bool, 256> pressed_since_query_{};
};

// Replaces the source that GetAsyncKeyState reads; null restores the platform keyboard.
// Returns the previous source (null when it was the platform keyboard).
KeySource* SetKeySource(KeySource* source);

// Reads the current source. Reading the platform keyboard pumps no events itself: key
// events are recorded whenever the application pumps its events.
int16_t GetAsyncKeyState(int virtual_key);

// Starts feeding the platform keyboard from SDL's key events; InitVideo calls it.
void WatchPlatformKeyboard();

// Maps an SDL key code to a virtual-key code; 0 for keys without one.
int VirtualKeyFromSdlKeycode(int32_t sdl_keycode);
// The other way round: the SDL key code of a virtual key; 0 (SDLK_UNKNOWN) when there is none.
int32_t SdlKeycodeFromVirtualKey(int virtual_key);

}  // namespace sys
}  // namespace vexil

#ifndef VK_ESCAPE
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#endif

// The Win32 form of the call, for code written against it.
inline int16_t GetAsyncKeyState(int virtual_key) {
  return vexil::sys::GetAsyncKeyState(virtual_key);
}

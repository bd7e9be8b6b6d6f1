// SDL key codes to Win32 virtual-key codes, for the keys a demo or its tools may watch.
#include <SDL.h>

#include "system/keys.h"

namespace vexil {
namespace sys {

namespace {

struct Pair {
  SDL_Keycode sdl;
  int vk;
};
const Pair kTable[] = {
    {SDLK_BACKSPACE, kVkBack},  {SDLK_TAB, kVkTab},       {SDLK_RETURN, kVkReturn},
    {SDLK_KP_ENTER, kVkReturn}, {SDLK_LSHIFT, kVkShift},  {SDLK_RSHIFT, kVkShift},
    {SDLK_LCTRL, kVkControl},   {SDLK_RCTRL, kVkControl}, {SDLK_LALT, kVkMenu},
    {SDLK_RALT, kVkMenu},       {SDLK_PAUSE, kVkPause},   {SDLK_ESCAPE, kVkEscape},
    {SDLK_SPACE, kVkSpace},     {SDLK_PAGEUP, kVkPrior},  {SDLK_PAGEDOWN, kVkNext},
    {SDLK_END, kVkEnd},         {SDLK_HOME, kVkHome},     {SDLK_LEFT, kVkLeft},
    {SDLK_UP, kVkUp},           {SDLK_RIGHT, kVkRight},   {SDLK_DOWN, kVkDown},
    {SDLK_INSERT, kVkInsert},   {SDLK_DELETE, kVkDelete}, {SDLK_KP_0, 0x60},
};

}  // namespace

int VirtualKeyFromSdlKeycode(int32_t sdl_keycode) {
  const SDL_Keycode k = sdl_keycode;
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return kVkF1 + (k - SDLK_F1);
  if (k >= SDLK_F13 && k <= SDLK_F24) return kVkF1 + 12 + (k - SDLK_F13);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 0x61 + (k - SDLK_KP_1);  // VK_NUMPAD1..9
  for (const Pair& pair : kTable) {
    if (pair.sdl == k) return pair.vk;
  }
  return 0;
}

int32_t SdlKeycodeFromVirtualKey(int virtual_key) {
  const int vk = virtual_key;
  if (vk >= 'A' && vk <= 'Z') return SDLK_a + (vk - 'A');
  if (vk >= '0' && vk <= '9') return SDLK_0 + (vk - '0');
  if (vk >= kVkF1 && vk < kVkF1 + 12) return SDLK_F1 + (vk - kVkF1);
  if (vk >= kVkF1 + 12 && vk < kVkF1 + 24) return SDLK_F13 + (vk - kVkF1 - 12);
  // The first key of a virtual key in the table: the main keyboard's, not the keypad's.
  for (const Pair& pair : kTable) {
    if (pair.vk == vk) return pair.sdl;
  }
  return SDLK_UNKNOWN;
}

}  // namespace sys
}  // namespace vexil

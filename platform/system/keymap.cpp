// SDL key codes to Win32 virtual-key codes, for the keys a demo or its tools may watch.
#include <SDL.h>

#include "system/keys.h"

namespace vexil {
namespace sys {

int VirtualKeyFromSdlKeycode(int32_t sdl_keycode) {
  const SDL_Keycode k = sdl_keycode;
  if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
  if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
  if (k >= SDLK_F1 && k <= SDLK_F12) return kVkF1 + (k - SDLK_F1);
  if (k >= SDLK_F13 && k <= SDLK_F24) return kVkF1 + 12 + (k - SDLK_F13);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return 0x61 + (k - SDLK_KP_1);  // VK_NUMPAD1..9

  struct Pair {
    SDL_Keycode sdl;
    int vk;
  };
  static const Pair kTable[] = {
      {SDLK_BACKSPACE, kVkBack},  {SDLK_TAB, kVkTab},       {SDLK_RETURN, kVkReturn},
      {SDLK_KP_ENTER, kVkReturn}, {SDLK_LSHIFT, kVkShift},  {SDLK_RSHIFT, kVkShift},
      {SDLK_LCTRL, kVkControl},   {SDLK_RCTRL, kVkControl}, {SDLK_LALT, kVkMenu},
      {SDLK_RALT, kVkMenu},       {SDLK_PAUSE, kVkPause},   {SDLK_ESCAPE, kVkEscape},
      {SDLK_SPACE, kVkSpace},     {SDLK_PAGEUP, kVkPrior},  {SDLK_PAGEDOWN, kVkNext},
      {SDLK_END, kVkEnd},         {SDLK_HOME, kVkHome},     {SDLK_LEFT, kVkLeft},
      {SDLK_UP, kVkUp},           {SDLK_RIGHT, kVkRight},   {SDLK_DOWN, kVkDown},
      {SDLK_INSERT, kVkInsert},   {SDLK_DELETE, kVkDelete}, {SDLK_KP_0, 0x60},
  };
  for (const Pair& pair : kTable) {
    if (pair.sdl == k) return pair.vk;
  }
  return 0;
}

}  // namespace sys
}  // namespace vexil

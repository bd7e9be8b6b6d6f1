// Key state: a tracker fed by SDL key events through an event watch (so presses are seen
// whoever drains the queue), and the replaceable source behind GetAsyncKeyState.
#include "system/keys.h"

#include <SDL.h>

#include <atomic>

namespace vexil {
namespace sys {

namespace {

bool ValidKey(int virtual_key) {
  return virtual_key > 0 && virtual_key < 256;
}

KeyTracker& PlatformKeyboard() {
  static KeyTracker tracker;
  return tracker;
}

int SDLCALL WatchKeyEvents(void*, SDL_Event* event) {
  if (event->type == SDL_KEYDOWN || event->type == SDL_KEYUP) {
    const int vk = VirtualKeyFromSdlKeycode(event->key.keysym.sym);
    if (event->type == SDL_KEYDOWN) {
      PlatformKeyboard().OnKeyDown(vk, event->key.repeat != 0);
    } else {
      PlatformKeyboard().OnKeyUp(vk);
    }
  }
  return 1;
}

// For programs that start SDL without InitVideo: watch from the first query on.
void EnsureEventWatch() {
  static std::atomic<bool> installed{false};
  if (!installed.load() && SDL_WasInit(SDL_INIT_EVENTS) != 0) {
    WatchPlatformKeyboard();
    installed = true;
  }
}

std::atomic<KeySource*> g_source{nullptr};

}  // namespace

void KeyTracker::OnKeyDown(int virtual_key, bool repeat) {
  if (!ValidKey(virtual_key)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  down_[virtual_key] = true;
  // Auto-repeat is not a new press: a held key must not log one line per repeat.
  if (!repeat) pressed_since_query_[virtual_key] = true;
}

void KeyTracker::OnKeyUp(int virtual_key) {
  if (!ValidKey(virtual_key)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  down_[virtual_key] = false;
}

void KeyTracker::Tap(int virtual_key) {
  OnKeyDown(virtual_key);
  OnKeyUp(virtual_key);
}

void KeyTracker::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  down_.fill(false);
  pressed_since_query_.fill(false);
}

int16_t KeyTracker::Query(int virtual_key) {
  if (!ValidKey(virtual_key)) return 0;
  std::lock_guard<std::mutex> lock(mutex_);
  int state = 0;
  if (down_[virtual_key]) state |= 0x8000;
  if (pressed_since_query_[virtual_key]) state |= 0x0001;
  pressed_since_query_[virtual_key] = false;
  return static_cast<int16_t>(state);
}

void WatchPlatformKeyboard() {
  // Removing first keeps exactly one watch however often SDL is started.
  SDL_DelEventWatch(WatchKeyEvents, nullptr);
  SDL_AddEventWatch(WatchKeyEvents, nullptr);
}

KeySource* SetKeySource(KeySource* source) {
  return g_source.exchange(source);
}

int16_t GetAsyncKeyState(int virtual_key) {
  if (KeySource* source = g_source.load()) return source->Query(virtual_key);
  EnsureEventWatch();
  return PlatformKeyboard().Query(virtual_key);
}

}  // namespace sys
}  // namespace vexil

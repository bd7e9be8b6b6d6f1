// Reading presented frames back without waiting for them: each frame is read into its own
// pixel-pack buffer with a fence behind it, and mapped only when the ring is full, by which
// time the graphics processor has usually long finished it. A fixed number of buffers, reused
// for every frame, bounds the memory however long the render.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "d3d9/d3d9.h"
#include "d3d9/gl/gl_api.h"

namespace vexil::d3d9 {

class ReadbackRing {
 public:
  // The most frames that may be in flight; one buffer more than that is kept.
  static constexpr UINT kMaxDepth = 2;

  // Called with the pixels of one frame (top-down RGBA, alpha 255 for opaque formats), or
  // with null when the frame could not be read; valid during the call only.
  using Take = void (*)(const uint8_t* rgba, UINT width, UINT height, void* user);

  ReadbackRing() = default;
  ReadbackRing(const ReadbackRing&) = delete;
  ReadbackRing& operator=(const ReadbackRing&) = delete;

  // Whether this GL has buffers to read into and fences (OpenGL 3.2 and later, natively; the
  // browser's WebGL cannot map a buffer, so there frames are read synchronously).
  static bool Supported();

  UINT InFlight() const { return count_; }
  // Buffers the ring turns through: one more than the frames it may hold in flight (1 to
  // kMaxDepth + 1). Only while none is in flight; buffers beyond the count are deleted.
  void SetBufferCount(size_t count);
  // Starts reading the colour attachment of `fbo` (width x height, stored top row first) into
  // the next free buffer. The caller collects the oldest frame first when none is free.
  void Begin(GLuint fbo, UINT width, UINT height, bool opaque);
  // Waits for the oldest frame in flight and hands it to `take`; the buffer is free after.
  void CollectOldest(Take take, void* user);
  // Forgets the frames in flight.
  void Discard();
  // Deletes the buffers and fences; the device's context must be current.
  void Release();

 private:
  struct Slot {
    GLuint buffer = 0;
    size_t capacity = 0;
    GLsync fence = nullptr;
    UINT width = 0, height = 0;
    bool opaque = false;
    bool failed = false;
  };
  static constexpr size_t kSlots = kMaxDepth + 1;

  std::array<Slot, kSlots> slots_{};
  size_t used_ = kSlots;  // buffers in turn
  size_t oldest_ = 0;
  UINT count_ = 0;
};

}  // namespace vexil::d3d9

// Frames read into pixel-pack buffers, fenced, and mapped in the order they were read.
#include "d3d9/gl/gl_readback_ring.h"

namespace vexil::d3d9 {

namespace {
// How long one wait for a fence may block before it is asked again (1 s, in nanoseconds):
// a wait never gives up on a frame, but never sleeps in the driver unbounded either.
constexpr GLuint64 kFenceWaitNs = 1000000000ull;
}  // namespace

bool ReadbackRing::Supported() {
#ifdef __EMSCRIPTEN__
  return false;  // WebGL maps no buffer: reading one back waits as glReadPixels does
#else
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  return major > 3 || (major == 3 && minor >= 2);
#endif
}

void ReadbackRing::SetBufferCount(size_t count) {
  if (count_ != 0 || count < 1 || count > kSlots) return;
  used_ = count;
  oldest_ = 0;
  for (size_t i = used_; i < kSlots; ++i) {
    if (slots_[i].buffer) glDeleteBuffers(1, &slots_[i].buffer);
    slots_[i] = Slot{};
  }
}

void ReadbackRing::Begin(GLuint fbo, UINT width, UINT height, bool opaque) {
  Slot& slot = slots_[(oldest_ + count_) % used_];
  ++count_;
  slot.width = width;
  slot.height = height;
  slot.opaque = opaque;
  slot.failed = !fbo;
  if (slot.failed) return;
  const size_t bytes = static_cast<size_t>(width) * height * 4;
  // Errors left by earlier calls are not this read's (a lost context may repeat one forever).
  for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
  }
  if (!slot.buffer) glGenBuffers(1, &slot.buffer);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
  if (slot.capacity != bytes) {
    // Storage is made once per size; a render keeps its size, so this happens once per buffer.
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    slot.capacity = bytes;
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
  // Rows come out bottom-up in GL terms, which is the target's top row first.
  glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGBA,
               GL_UNSIGNED_BYTE, nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  slot.fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  if (glGetError() != GL_NO_ERROR || !slot.fence) {
    slot.failed = true;
    slot.capacity = 0;  // storage of unknown state: made anew next time
  }
  // The fence is only seen once commands before it are sent: send them now, not at the wait.
  glFlush();
}

void ReadbackRing::CollectOldest(Take take, void* user) {
  if (count_ == 0) return;
  Slot& slot = slots_[oldest_];
  oldest_ = (oldest_ + 1) % used_;
  --count_;
  bool ok = !slot.failed;
  if (slot.fence) {
    GLenum waited = GL_TIMEOUT_EXPIRED;
    while (waited == GL_TIMEOUT_EXPIRED) {
      waited = glClientWaitSync(slot.fence, GL_SYNC_FLUSH_COMMANDS_BIT, kFenceWaitNs);
    }
    ok = ok && waited != GL_WAIT_FAILED;
    glDeleteSync(slot.fence);
    slot.fence = nullptr;
  }
  const size_t bytes = static_cast<size_t>(slot.width) * slot.height * 4;
  uint8_t* pixels = nullptr;
  if (ok) {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, slot.buffer);
    // An opaque frame gets alpha 255 in place, in the buffer's own memory: no second copy.
    const GLbitfield access = GL_MAP_READ_BIT | (slot.opaque ? GL_MAP_WRITE_BIT : 0);
    pixels = static_cast<uint8_t*>(
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(bytes), access));
  }
  if (pixels && slot.opaque) {
    for (size_t i = 3; i < bytes; i += 4) pixels[i] = 255;
  }
  take(pixels, slot.width, slot.height, user);
  if (pixels && !glUnmapBuffer(GL_PIXEL_PACK_BUFFER)) slot.capacity = 0;
  if (ok) glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void ReadbackRing::Discard() {
  for (Slot& slot : slots_) {
    if (slot.fence) glDeleteSync(slot.fence);
    slot.fence = nullptr;
  }
  oldest_ = 0;
  count_ = 0;
}

void ReadbackRing::Release() {
  Discard();
  for (Slot& slot : slots_) {
    if (slot.buffer) glDeleteBuffers(1, &slot.buffer);
    slot = Slot{};
  }
}

}  // namespace vexil::d3d9

// The heap limits the GL device sets: a frame-sized block freed at the top of the heap stays
// there for the next frame instead of going back to the system and being faulted in again.
#include "d3d9/gl/heap_policy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VEXIL_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define VEXIL_SANITIZED_HEAP 1
#endif
#endif

namespace {

TEST(HeapPolicy, AFreedFrameSizedBlockStaysInTheHeap) {
#if !defined(__GLIBC__) || defined(VEXIL_SANITIZED_HEAP)
  GTEST_SKIP() << "only glibc's own allocator has these limits";
#else
  vexil::d3d9::KeepFreedHeapForReuse();
  constexpr size_t kBlock = size_t{8} << 20;
  const struct mallinfo2 before = mallinfo2();
  void* volatile block = std::malloc(kBlock);
  ASSERT_NE(nullptr, block);
  std::memset(block, 1, kBlock);
  EXPECT_EQ(before.hblkhd, mallinfo2().hblkhd)
      << "an 8 MB block comes from the heap, not from a mapping of its own";
  std::free(block);
  EXPECT_GE(mallinfo2().arena, before.arena + kBlock)
      << "the freed top of the heap is kept for the next frame";
#endif
}

}  // namespace

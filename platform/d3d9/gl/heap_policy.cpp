// glibc's heap limits for a process that renders through OpenGL.
#include "d3d9/gl/heap_policy.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>

#include <mutex>
#endif

namespace vexil::d3d9 {

void KeepFreedHeapForReuse() {
#if defined(__GLIBC__)
  static std::once_flag once;
  std::call_once(once, [] {
    // glibc raises its mmap threshold to the size of each freed mapped block, up to 32 MB on
    // 64-bit systems, and trims the heap top beyond twice that threshold. Setting a limit by
    // hand ends the adapting, so both are set to those ceilings: blocks below 32 MB come from
    // the heap, and up to 64 MB of free heap top stays mapped for the next frame.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
  });
#endif
}

}  // namespace vexil::d3d9

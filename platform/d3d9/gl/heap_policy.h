// How the process heap treats memory freed between draws. Mesa's software rasteriser
// (llvmpipe) allocates and frees vertex storage on every draw; with glibc's starting limits the
// freed top of the heap goes back to the system after one draw and is faulted in again, page by
// page, by the next: on a small frame that is about half of the rendering thread's processor
// time. The GL device therefore starts the heap where glibc's own adaptive limits end up once
// the process has freed a large block.
#pragma once

namespace vexil::d3d9 {

// Keeps freed heap memory for reuse (glibc only; elsewhere nothing). Called once per process
// by Direct3DCreate9; benchmarks that draw raw OpenGL beside the layer call it too, so both
// sides run on the same heap.
void KeepFreedHeapForReuse();

}  // namespace vexil::d3d9

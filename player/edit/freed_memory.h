// Hands the memory a replaced demo held back to the system.
//
// Every rebuild makes a whole second demo (pictures' copies, meshes, the driver's textures and
// render targets) while the old one still plays, then frees the old one. The heap is told to
// keep up to 64 MB of freed memory for the renderer's per-frame reuse (d3d9's heap policy), and
// blocks freed below the heap's top are never given back by themselves: without a trim each
// rebuild leaves the process a little larger, and hundreds of saves grow it by tens of MB.
#pragma once

namespace vexil {

// Returns the free pages of every heap arena to the system (glibc's malloc_trim); elsewhere
// nothing. Called after a demo was freed; costs a few milliseconds.
void ReturnFreedMemory();

}  // namespace vexil

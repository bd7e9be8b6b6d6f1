// With VEXIL_BENCH_FRAMES set to a folder, the benchmarks write each frame through the layer and
// as raw OpenGL there as PNG, so one can see that both draw the same picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d9/d3d9.h"

namespace vexil_bench {

// The folder to write frames into, or empty.
std::string FrameDumpFolder();
// The layer device's back buffer.
void DumpLayerFrame(IDirect3DDevice9* device, const std::string& path);
// The bound raw OpenGL framebuffer of width x height, stored top row first.
void DumpRawFrame(const std::string& path, int width, int height);
// A top-down RGBA picture as PNG; false on failure.
bool WriteRgbaPng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);

}  // namespace vexil_bench

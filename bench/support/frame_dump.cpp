// PNG dumps of benchmark frames.
#include "frame_dump.h"

#include <GL/gl.h>

#include <cstdlib>
#include <vector>

#include "d3d9/d3d9_readback.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb/stb_image_write.h>

namespace vexil_bench {

std::string FrameDumpFolder() {
  const char* folder = std::getenv("VEXIL_BENCH_FRAMES");
  return folder ? folder : "";
}

void DumpLayerFrame(IDirect3DDevice9* device, const std::string& path) {
  IDirect3DSurface9* back = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return;
  std::vector<uint8_t> rgba;
  UINT width = 0, height = 0;
  if (SUCCEEDED(VexilReadSurfaceRGBA(back, &rgba, &width, &height))) {
    stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 4, rgba.data(),
                   static_cast<int>(width) * 4);
  }
  back->Release();
}

void DumpRawFrame(const std::string& path, int width, int height) {
  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  for (uint8_t* alpha = rgba.data() + 3; alpha < rgba.data() + rgba.size(); alpha += 4) {
    *alpha = 255;
  }
  stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
}

bool WriteRgbaPng(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                  int height) {
  return stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4) != 0;
}

}  // namespace vexil_bench

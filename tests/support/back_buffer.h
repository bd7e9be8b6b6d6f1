// The device's back buffer as a top-down RGBA picture, for tests that look at a whole frame.
#pragma once

#include "d3d9/d3d9.h"
#include "d3d9/d3d9_readback.h"
#include "support/picture.h"

namespace vexil {
namespace test {

// An empty picture when the back buffer cannot be read.
inline Picture ReadBackBuffer(IDirect3DDevice9* device) {
  Picture picture;
  IDirect3DSurface9* back = nullptr;
  if (device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) != D3D_OK) return picture;
  UINT width = 0, height = 0;
  if (VexilReadSurfaceRGBA(back, &picture.rgba, &width, &height) == D3D_OK) {
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
  }
  back->Release();
  return picture;
}

}  // namespace test
}  // namespace vexil

// The Direct3D device the tests draw on: windowed (a hidden window of its own), no vsync, and
// an automatic D16 depth buffer unless a test asks for none; on the null backend (records
// calls, keeps state) or the OpenGL one (headless on the offscreen video driver).
#pragma once

#include "d3d9/d3d9.h"
#include "d3d9/d3d9_readback.h"
#include "d3d9/null/d3d9_null.h"

namespace vexil::test {

enum class Backend { kNull, kGl };

HRESULT CreateTestDevice(IDirect3D9* d3d, UINT width, UINT height, IDirect3DDevice9** device,
                         bool depth = true);

// Owns a Direct3D object and a test device on it. Release() lets the owner check that nothing
// else still holds them; otherwise the destructor releases both.
class TestDevice {
 public:
  TestDevice(Backend backend, UINT width, UINT height, bool depth = true);
  ~TestDevice() { Release(); }
  TestDevice(const TestDevice&) = delete;
  TestDevice& operator=(const TestDevice&) = delete;

  bool ok() const { return device_ != nullptr; }
  IDirect3D9* d3d() const { return d3d_; }
  IDirect3DDevice9* device() const { return device_; }

  // Releases the device, then the Direct3D object; true when both were freed by it (no
  // reference left elsewhere). True as well when there was nothing to release.
  bool Release();

 private:
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

}  // namespace vexil::test

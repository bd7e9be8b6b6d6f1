// Creation and release of the tests' device.
#include "support/test_device.h"

namespace vexil::test {

HRESULT CreateTestDevice(IDirect3D9* d3d, UINT width, UINT height, IDirect3DDevice9** device,
                         bool depth) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = width;
  pp.BackBufferHeight = height;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = depth ? TRUE : FALSE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, device);
}

TestDevice::TestDevice(Backend backend, UINT width, UINT height, bool depth) {
  d3d_ = backend == Backend::kGl ? Direct3DCreate9(D3D_SDK_VERSION) : VexilCreateNullDirect3D9();
  if (d3d_ && FAILED(CreateTestDevice(d3d_, width, height, &device_, depth))) device_ = nullptr;
}

bool TestDevice::Release() {
  bool freed = true;
  if (device_) freed = device_->Release() == 0 && freed;
  if (d3d_) freed = d3d_->Release() == 0 && freed;
  device_ = nullptr;
  d3d_ = nullptr;
  return freed;
}

}  // namespace vexil::test

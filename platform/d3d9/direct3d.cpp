// Adapter queries and the device-creation checks common to both backends.
#include "d3d9/direct3d.h"

#include "d3d9/formats.h"

namespace vexil::d3d9 {

Direct3D::Direct3D(std::vector<D3DDISPLAYMODE> modes, const D3DDISPLAYMODE& desktop)
    : modes_(std::move(modes)), desktop_(desktop) {}

ULONG Direct3D::Release() {
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format) {
  if (adapter != D3DADAPTER_DEFAULT || format != D3DFMT_X8R8G8B8) return 0;
  return static_cast<UINT>(modes_.size());
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                   D3DDISPLAYMODE* pMode) {
  if (!pMode || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (format != D3DFMT_X8R8G8B8) return D3DERR_NOTAVAILABLE;
  if (mode >= modes_.size()) return D3DERR_INVALIDCALL;
  *pMode = modes_[mode];
  return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) {
  if (!pMode || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  *pMode = desktop_;
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE, D3DFORMAT, DWORD usage,
                                    D3DRESOURCETYPE rType, D3DFORMAT checkFormat) {
  if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    return IsDepthFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if (usage & D3DUSAGE_RENDERTARGET) {
    return IsRenderTargetFormat(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if (rType == D3DRTYPE_TEXTURE || rType == D3DRTYPE_SURFACE) {
    return ColorBytesPerPixel(checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  return D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND hFocusWindow,
                               DWORD behaviorFlags, D3DPRESENT_PARAMETERS* pp,
                               IDirect3DDevice9** ppDevice) {
  (void)behaviorFlags;
  if (!ppDevice) return D3DERR_INVALIDCALL;
  *ppDevice = nullptr;
  if (!pp || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
  if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
  if (pp->BackBufferFormat != D3DFMT_UNKNOWN && !IsRenderTargetFormat(pp->BackBufferFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  if (pp->EnableAutoDepthStencil && !IsDepthFormat(pp->AutoDepthStencilFormat)) {
    return D3DERR_INVALIDCALL;
  }
  HWND window = pp->hDeviceWindow ? pp->hDeviceWindow : hFocusWindow;
  HRESULT hr = MakeDevice(window, *pp, ppDevice);
  if (SUCCEEDED(hr)) {
    // D3D9 writes the resolved back-buffer size and format back into the parameters.
    D3DDISPLAYMODE mode;
    (*ppDevice)->GetDisplayMode(0, &mode);
    pp->BackBufferWidth = mode.Width;
    pp->BackBufferHeight = mode.Height;
    if (pp->BackBufferFormat == D3DFMT_UNKNOWN) pp->BackBufferFormat = mode.Format;
    if (pp->BackBufferCount == 0) pp->BackBufferCount = 1;
  }
  return hr;
}

}  // namespace vexil::d3d9

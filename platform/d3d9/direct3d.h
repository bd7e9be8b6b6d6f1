// The IDirect3D9 object both backends share: reference counting, the adapter's mode list
// and format checks. Backends fill the modes and create their own kind of device.
#pragma once

#include <vector>

#include "d3d9/d3d9.h"

namespace vexil::d3d9 {

class Direct3D : public IDirect3D9 {
 public:
  Direct3D(std::vector<D3DDISPLAYMODE> modes, const D3DDISPLAYMODE& desktop);

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  UINT GetAdapterCount() override { return 1; }
  UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) override;
  HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                           D3DDISPLAYMODE* pMode) override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                            DWORD usage, D3DRESOURCETYPE rType, D3DFORMAT checkFormat) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND hFocusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

 protected:
  ~Direct3D() override = default;
  // Makes the backend's device; the arguments are already checked and the back buffer size
  // resolved (a 0 width or height takes the window's size or the desktop's).
  virtual HRESULT MakeDevice(HWND window, const D3DPRESENT_PARAMETERS& params,
                             IDirect3DDevice9** ppDevice) = 0;

  std::vector<D3DDISPLAYMODE> modes_;
  D3DDISPLAYMODE desktop_;

 private:
  ULONG refs_ = 1;
};

}  // namespace vexil::d3d9

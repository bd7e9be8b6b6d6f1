// Present parameters and the fixed camera of the player's device.
#include "display_setup.h"

#include "d3dx9/d3dx9.h"
#include "timeline/default_camera.h"

namespace vexil {

D3DPRESENT_PARAMETERS MakePresentParameters(const PlayerSettings& settings,
                                            D3DFORMAT desktop_format) {
  D3DPRESENT_PARAMETERS params{};
  if (settings.fullscreen) {
    params.BackBufferWidth = static_cast<UINT>(settings.width);
    params.BackBufferHeight = static_cast<UINT>(settings.height);
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 3;
    params.Windowed = FALSE;
  } else {
    params.BackBufferFormat = desktop_format;
    params.Windowed = TRUE;
  }
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  params.PresentationInterval =
      settings.fpslimiter ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
  return params;
}

D3DPRESENT_PARAMETERS MakeHeadlessPresentParameters(const PlayerSettings& settings) {
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = static_cast<UINT>(settings.width);
  params.BackBufferHeight = static_cast<UINT>(settings.height);
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  params.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return params;
}

void InstallCameraAndClear(IDirect3DDevice9* device, int width, int height) {
  SetDefaultView(device);

  // The aspect of the settings, not of the client area: effects were composed for it.
  D3DXMATRIX projection;
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f, aspect, 1.0f, 1000.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 0.0f, 0);
}

}  // namespace vexil

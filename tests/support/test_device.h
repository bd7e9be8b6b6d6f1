// The Direct3D device the tests draw on: windowed (a hidden window of its own), no vsync,
// and an automatic D16 depth buffer unless a test asks for none.
#pragma once

#include "d3d9/d3d9.h"
#include "d3d9/d3d9_readback.h"
#include "d3d9/null/d3d9_null.h"

inline HRESULT CreateTestDevice(IDirect3D9* d3d, UINT width, UINT height, IDirect3DDevice9** device,
                                bool depth = true) {
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

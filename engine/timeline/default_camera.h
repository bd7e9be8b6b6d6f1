// The view every demo starts with (the player sets it with the display) and the 2D effects draw
// under: the eye 2.4 units in front of the origin, looking at it, y up.
#pragma once

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9.h"

inline void SetDefaultView(IDirect3DDevice9* device) {
  D3DXMATRIX view;
  const D3DXVECTOR3 eye(0.0f, 0.0f, -2.4f);
  const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  device->SetTransform(D3DTS_VIEW, &view);
}

// ID3DXBuffer: a reference-counted block of bytes that D3DX functions hand back (materials,
// adjacency, effect instances).
#pragma once

#include "d3d9/unknwn.h"
#include "d3d9/windef.h"

class ID3DXBuffer : public IUnknown {
 public:
  virtual LPVOID GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};

typedef ID3DXBuffer* LPD3DXBUFFER;

// A zero-filled buffer of numBytes bytes.
HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** ppBuffer);

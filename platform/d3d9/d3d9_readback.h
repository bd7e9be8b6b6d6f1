// Vexil's extensions for reading pictures back from a device: every presented frame handed to
// a callback (captures), and any colour surface as RGBA bytes (tests, tools). Not part of
// Direct3D 9; the OpenGL backend implements both, the null backend neither.
#pragma once

#include <cstdint>
#include <vector>

#include "d3d9/d3d9.h"

// Receives every presented frame as tightly packed, top-down RGBA bytes (width * 4 per row).
typedef void (*VexilFrameReader)(const uint8_t* pRgba, UINT width, UINT height, void* pUser);

// With a reader set, Present hands the frame to it (and still shows it in a window, if
// the device has one). Null removes the reader. The null device answers D3DERR_NOTAVAILABLE.
HRESULT VexilSetFrameReader(IDirect3DDevice9* pDevice, VexilFrameReader reader, void* pUser);

// Reads the current contents of a colour surface (back buffer, texture level, render
// target) as top-down RGBA bytes into rgba, resized to width * height * 4.
HRESULT VexilReadSurfaceRGBA(IDirect3DSurface9* pSurface, std::vector<uint8_t>* pRgba, UINT* pWidth,
                             UINT* pHeight);

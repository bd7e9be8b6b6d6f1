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

// Lets up to `depth` presented frames be in flight: Present starts reading its frame back
// without waiting for the graphics processor and hands the reader the frame presented `depth`
// presents earlier, so rendering the next frame overlaps with reading this one. Frames reach
// the reader in order and with the same bytes as without. *pGranted (may be null) receives
// the depth the device grants, 0 where it can only read synchronously (every frame handed over
// during its own Present); that depth holds until it is set again, and a new depth hands the
// frames in flight over first. Each frame in flight, and one more, holds a read-back buffer
// of the frame's size in the driver. With a depth above 0 a
// frame that could not be read reaches the reader as null pixels, so later frames keep their
// places. Removing or replacing the reader drops the frames in flight.
HRESULT VexilSetFrameReaderDepth(IDirect3DDevice9* pDevice, UINT depth, UINT* pGranted);

// Hands every frame still in flight to the reader, in order, waiting for them as needed: the
// last frames of a render.
HRESULT VexilFlushFrameReader(IDirect3DDevice9* pDevice);

// Reads the current contents of a colour surface (back buffer, texture level, render
// target) as top-down RGBA bytes into rgba, resized to width * height * 4.
HRESULT VexilReadSurfaceRGBA(IDirect3DSurface9* pSurface, std::vector<uint8_t>* pRgba, UINT* pWidth,
                             UINT* pHeight);

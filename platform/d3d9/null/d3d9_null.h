// The null backend's own entry points: Direct3D objects whose devices keep all state, record
// their clears, scenes, draws and presents, and can be told to fail, so that tests can check
// what the engine and effects asked for and how they handle errors. Not part of Direct3D 9.
#pragma once

#include <vector>

#include "d3d9/d3d9.h"

// A Direct3D object whose devices keep all state, record every call and draw nothing.
// Its adapter lists 640x480, 800x600, 1024x768, 1280x720 and 1920x1080 at 60 Hz, the
// desktop being 1920x1080; the Ex form takes the mode list and desktop mode to report.
IDirect3D9* VexilCreateNullDirect3D9();
IDirect3D9* VexilCreateNullDirect3D9Ex(const D3DDISPLAYMODE* pModes, UINT modeCount,
                                       const D3DDISPLAYMODE* pDesktopMode);

// What a null device has recorded, in call order.
enum VexilCallKind {
  VEXIL_CALL_CLEAR,
  VEXIL_CALL_BEGINSCENE,
  VEXIL_CALL_ENDSCENE,
  VEXIL_CALL_DRAW,         // DrawPrimitive / DrawPrimitiveUP
  VEXIL_CALL_DRAWINDEXED,  // DrawIndexedPrimitive / DrawIndexedPrimitiveUP
  VEXIL_CALL_PRESENT
};

struct VexilRecordedCall {
  VexilCallKind kind;
  // Draws.
  D3DPRIMITIVETYPE primitiveType;
  UINT primitiveCount;
  UINT startVertex;     // DrawPrimitive
  INT baseVertexIndex;  // DrawIndexedPrimitive
  UINT minVertexIndex;
  UINT numVertices;
  UINT startIndex;
  BOOL userPointer;  // the UP variants
  DWORD fvf;
  UINT stride;
  IDirect3DVertexBuffer9* stream0;  // not referenced: compare pointers only
  IDirect3DIndexBuffer9* indices;
  IDirect3DBaseTexture9* texture0;
  // Clears.
  DWORD clearFlags;
  D3DCOLOR clearColor;
  float clearZ;
  DWORD clearStencil;
  DWORD rectCount;
  // The targets in effect when the call was made (draws, clears, present).
  IDirect3DSurface9* renderTarget;
  IDirect3DSurface9* depthStencil;
  D3DVIEWPORT9 viewport;
};

// The calls a null device recorded since creation or the last clear; null for other devices.
const std::vector<VexilRecordedCall>* VexilNullRecordedCalls(IDirect3DDevice9* pDevice);
void VexilNullClearRecordedCalls(IDirect3DDevice9* pDevice);

// Failures a null device (or null Direct3D object) can be told to report, so that callers'
// error paths can be tested. Each armed failure applies to the next `count` such calls.
enum VexilNullFailure {
  VEXIL_FAIL_CREATEDEVICE,
  VEXIL_FAIL_GETADAPTERDISPLAYMODE,
  VEXIL_FAIL_CREATETEXTURE,
  VEXIL_FAIL_CREATEVERTEXBUFFER,
  VEXIL_FAIL_CREATEINDEXBUFFER,
  VEXIL_FAIL_CREATEDEPTHSTENCILSURFACE,
  VEXIL_FAIL_LOCK,  // vertex/index buffer and texture/surface locks
  VEXIL_FAIL_BEGINSCENE,
  VEXIL_FAIL_COUNT
};
HRESULT VexilNullFailNext(IUnknown* pDeviceOrDirect3D, VexilNullFailure failure, UINT count);

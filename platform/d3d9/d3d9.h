// The Direct3D 9 interfaces vexil's engine and effects draw through: IDirect3D9, the device,
// textures, surfaces and vertex/index buffers with D3D9's names, arguments and results.
// Implemented by an OpenGL 3.3 backend (Direct3DCreate9) and a null backend for tests.
#pragma once

#include "d3d9/d3d9types.h"
#include "d3d9/unknwn.h"

class IDirect3D9;
class IDirect3DDevice9;
class IDirect3DResource9;
class IDirect3DBaseTexture9;
class IDirect3DTexture9;
class IDirect3DSurface9;
class IDirect3DVertexBuffer9;
class IDirect3DIndexBuffer9;
struct RGNDATA;

typedef IDirect3D9* LPDIRECT3D9;
typedef IDirect3DDevice9* LPDIRECT3DDEVICE9;
typedef IDirect3DResource9* LPDIRECT3DRESOURCE9;
typedef IDirect3DBaseTexture9* LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9* LPDIRECT3DTEXTURE9;
typedef IDirect3DSurface9* LPDIRECT3DSURFACE9;
typedef IDirect3DVertexBuffer9* LPDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9* LPDIRECT3DINDEXBUFFER9;
typedef D3DMATERIAL9* LPD3DMATERIAL9;
typedef D3DLIGHT9* LPD3DLIGHT9;
typedef D3DVIEWPORT9* LPD3DVIEWPORT9;

class IDirect3D9 : public IUnknown {
 public:
  virtual UINT GetAdapterCount() = 0;
  // Modes of the adapter in the given format; vexil lists D3DFMT_X8R8G8B8 modes only.
  virtual UINT GetAdapterModeCount(UINT adapter, D3DFORMAT format) = 0;
  virtual HRESULT EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode,
                                   D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                    DWORD usage, D3DRESOURCETYPE rType, D3DFORMAT checkFormat) = 0;
  // hFocusWindow (or pp->hDeviceWindow) is an SDL_Window* made with SDL_WINDOW_OPENGL; null
  // renders headless on a hidden window of the device's own.
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND hFocusWindow,
                               DWORD behaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice9** ppReturnedDeviceInterface) = 0;
};

class IDirect3DResource9 : public IUnknown {
 public:
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
  virtual D3DRESOURCETYPE GetType() = 0;
};

class IDirect3DSurface9 : public IDirect3DResource9 {
 public:
  virtual HRESULT GetDesc(D3DSURFACE_DESC* pDesc) = 0;
  // Texture levels, the back buffer and lockable depth formats can be locked; render
  // targets and D3DFMT_D16 depth buffers answer D3DERR_INVALIDCALL, as in D3D9.
  virtual HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;
};

class IDirect3DBaseTexture9 : public IDirect3DResource9 {
 public:
  virtual DWORD GetLevelCount() = 0;
};

class IDirect3DTexture9 : public IDirect3DBaseTexture9 {
 public:
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) = 0;
  // The level surface shares the texture's reference count (Release it when done).
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** ppSurfaceLevel) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                           DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;
};

class IDirect3DVertexBuffer9 : public IDirect3DResource9 {
 public:
  virtual HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** ppbData, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) = 0;
};

class IDirect3DIndexBuffer9 : public IDirect3DResource9 {
 public:
  virtual HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** ppbData, DWORD flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) = 0;
};

class IDirect3DDevice9 : public IUnknown {
 public:
  // Device and display.
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT GetDirect3D(IDirect3D9** ppD3D9) = 0;
  virtual HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE type,
                                IDirect3DSurface9** ppBackBuffer) = 0;
  virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                          const RGNDATA* pDirtyRegion) = 0;

  // Resources. pSharedHandle must be null.
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DTexture9** ppTexture,
                                HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                     IDirect3DVertexBuffer9** ppVertexBuffer,
                                     HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                    IDirect3DIndexBuffer9** ppIndexBuffer,
                                    HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                                     D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                     BOOL lockable, IDirect3DSurface9** ppSurface,
                                     HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                            D3DMULTISAMPLE_TYPE multiSample,
                                            DWORD multisampleQuality, BOOL discard,
                                            IDirect3DSurface9** ppSurface,
                                            HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DPOOL pool, IDirect3DSurface9** ppSurface,
                                              HANDLE* pSharedHandle) = 0;
  // Copies a render target (or the back buffer) into a same-sized system-memory surface.
  virtual HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                      IDirect3DSurface9* pDestSurface) = 0;

  // Targets. Only render target 0 exists.
  virtual HRESULT SetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9* pRenderTarget) = 0;
  virtual HRESULT GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** ppRenderTarget) = 0;
  virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) = 0;

  // Scenes and clearing.
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float z,
                        DWORD stencil) = 0;

  // Fixed-function state.
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* pMatrix) = 0;
  virtual HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT9* pViewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT9* pViewport) = 0;
  virtual HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) = 0;
  virtual HRESULT GetMaterial(D3DMATERIAL9* pMaterial) = 0;
  virtual HRESULT SetLight(DWORD index, const D3DLIGHT9* pLight) = 0;
  virtual HRESULT GetLight(DWORD index, D3DLIGHT9* pLight) = 0;
  virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
  virtual HRESULT GetLightEnable(DWORD index, BOOL* pEnable) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* pValue) = 0;
  virtual HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* pTexture) = 0;
  virtual HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** ppTexture) = 0;
  virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
  virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                       DWORD* pValue) = 0;
  virtual HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) = 0;
  virtual HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* pValue) = 0;
  virtual HRESULT SetScissorRect(const RECT* pRect) = 0;
  virtual HRESULT GetScissorRect(RECT* pRect) = 0;

  // Vertex input and drawing.
  virtual HRESULT SetFVF(DWORD fvf) = 0;
  virtual HRESULT GetFVF(DWORD* pFVF) = 0;
  virtual HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* pStreamData,
                                  UINT offsetInBytes, UINT stride) = 0;
  virtual HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                  UINT* pOffsetInBytes, UINT* pStride) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) = 0;
  virtual HRESULT GetIndices(IDirect3DIndexBuffer9** ppIndexData) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                                UINT primitiveCount) = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, INT baseVertexIndex,
                                       UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                       UINT primCount) = 0;
  // The UP draws leave stream 0 and the index buffer unset afterwards, as D3D9 does.
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                                  const void* pVertexStreamZeroData,
                                  UINT vertexStreamZeroStride) = 0;
  virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex,
                                         UINT numVertices, UINT primitiveCount,
                                         const void* pIndexData, D3DFORMAT indexDataFormat,
                                         const void* pVertexStreamZeroData,
                                         UINT vertexStreamZeroStride) = 0;
};

// The OpenGL 3.3 implementation. sdkVersion 31 and 32 are accepted.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

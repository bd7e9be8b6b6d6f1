// The device both backends share: IDirect3DDevice9's state calls, resource creation,
// targets, validation of draws and reference bookkeeping. A backend (gl/, null/) derives
// from it and supplies clearing, drawing, presenting and reading pixels back.
#pragma once

#include <array>
#include <unordered_set>
#include <vector>

#include "d3d9/com_ptr.h"
#include "d3d9/d3d9.h"
#include "d3d9/d3d9_readback.h"
#include "d3d9/resources.h"
#include "d3d9/state_mirror.h"
#include "d3d9/vertex_layout.h"

namespace vexil::d3d9 {

// One validated draw as the backend receives it.
struct DrawCall {
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  UINT primitiveCount = 0;
  UINT elementCount = 0;  // vertices (plain draws) or indices (indexed draws) consumed
  bool indexed = false;
  UINT startVertex = 0;  // plain draws
  INT baseVertex = 0;    // indexed draws
  UINT minIndex = 0;
  UINT numVertices = 0;
  UINT startIndex = 0;
  // The UP variants: vertex (and index) data in caller memory instead of stream 0.
  const uint8_t* userVertices = nullptr;
  UINT userVertexBytes = 0;
  const void* userIndices = nullptr;
  D3DFORMAT userIndexFormat = D3DFMT_INDEX16;
  UINT stride = 0;
  UINT streamOffset = 0;
  VertexBuffer* stream = nullptr;
  IndexBuffer* indices = nullptr;
  const VertexLayout* layout = nullptr;
};

class Device : public IDirect3DDevice9 {
 public:
  Device(IDirect3D9* direct3d, const D3DPRESENT_PARAMETERS& params, UINT width, UINT height);
  ~Device() override;

  // IUnknown
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  // IDirect3DDevice9
  HRESULT TestCooperativeLevel() override { return D3D_OK; }
  HRESULT GetDirect3D(IDirect3D9** ppD3D9) override;
  HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
  HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE type,
                        IDirect3DSurface9** ppBackBuffer) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture9** ppTexture,
                        HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format,
                             D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                             BOOL lockable, IDirect3DSurface9** ppSurface,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                    BOOL discard, IDirect3DSurface9** ppSurface,
                                    HANDLE* pSharedHandle) override;
  HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DSurface9** ppSurface,
                                      HANDLE* pSharedHandle) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                              IDirect3DSurface9* pDestSurface) override;
  HRESULT SetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
  HRESULT GetRenderTarget(DWORD renderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* pMatrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* pMatrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
  HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) override;
  HRESULT GetMaterial(D3DMATERIAL9* pMaterial) override;
  HRESULT SetLight(DWORD index, const D3DLIGHT9* pLight) override;
  HRESULT GetLight(DWORD index, D3DLIGHT9* pLight) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;
  HRESULT GetLightEnable(DWORD index, BOOL* pEnable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* pValue) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** ppTexture) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* pValue) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* pValue) override;
  HRESULT SetScissorRect(const RECT* pRect) override;
  HRESULT GetScissorRect(RECT* pRect) override;
  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* pFVF) override;
  HRESULT SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* pStreamData,
                          UINT offsetInBytes, UINT stride) override;
  HRESULT GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** ppStreamData,
                          UINT* pOffsetInBytes, UINT* pStride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE primitiveType, UINT startVertex,
                        UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE primitiveType, INT baseVertexIndex,
                               UINT minVertexIndex, UINT numVertices, UINT startIndex,
                               UINT primCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount,
                          const void* pVertexStreamZeroData, UINT vertexStreamZeroStride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT minVertexIndex,
                                 UINT numVertices, UINT primitiveCount, const void* pIndexData,
                                 D3DFORMAT indexDataFormat, const void* pVertexStreamZeroData,
                                 UINT vertexStreamZeroStride) override;

  // For the backends and the resources.
  void Register(ResourceCore* resource);
  void Unregister(ResourceCore* resource);
  StateMirror& State() { return state_; }
  Surface* RenderTarget() const { return renderTarget_; }
  Surface* DepthStencil() const { return depthStencil_; }
  Surface* BackBufferSurface() const { return backBuffer_.get(); }
  IDirect3DBaseTexture9* BoundTexture(DWORD stage) const { return textures_[stage]; }
  const D3DPRESENT_PARAMETERS& PresentParams() const { return params_; }
  bool InScene() const { return inScene_; }

  // VexilResetDeviceState and VexilCountLiveResources.
  void ResetState();
  UINT LiveResourceCount() const { return static_cast<UINT>(live_.size()); }
  // Colour surface contents as top-down RGBA (VexilReadSurfaceRGBA).
  HRESULT ReadSurfaceRGBA(Surface* surface, std::vector<uint8_t>* rgba);
  virtual HRESULT SetFrameReader(VexilFrameReader, void*) { return D3DERR_NOTAVAILABLE; }
  // VexilSetFrameReaderDepth and VexilFlushFrameReader; a backend without asynchronous
  // read-back reads every frame during its Present.
  virtual HRESULT SetFrameReaderDepth(UINT, UINT* granted) {
    *granted = 0;
    return D3D_OK;
  }
  virtual HRESULT FlushFrameReader() { return D3D_OK; }
  // A backend may refuse a resource lock (the null backend does when a test tells it to).
  virtual bool RefusesLock() { return false; }
  // The backend frees the GPU objects of a resource that is being destroyed.
  virtual void FreeGpuObjects(ResourceCore*) {}
  // The backend makes the GPU storage of a render target, a depth-stencil surface or the back
  // buffer when it is created, so that one the GPU cannot hold fails its creation call with
  // D3DERR_OUTOFVIDEOMEMORY, as on D3D9, instead of leaving every later draw to fail unseen.
  virtual HRESULT AllocateGpuObjects(ResourceCore*) { return D3D_OK; }
  // A backend that gives CPU copies up once the GPU holds them (texture levels, vertex
  // buffers) reads them back when they are locked again; the others never need to.
  virtual HRESULT ReadBackTextureLevel(Texture*, UINT) { return D3DERR_INVALIDCALL; }
  virtual HRESULT ReadBackBuffer(ResourceCore*, uint8_t*, UINT) { return D3DERR_INVALIDCALL; }

 protected:
  // Makes the back buffer and the automatic depth buffer and resets the state. Backends call
  // it once their own set-up (GL context) is done.
  HRESULT InitCommon();
  // Releases bindings and detaches every resource; the most derived destructor calls it
  // while the backend can still free GPU objects.
  void Shutdown();
  // Before a live resource loses its GPU side: its given-up CPU copies are read back.
  void KeepContentsOf(ResourceCore* resource);

  virtual HRESULT DoClear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;
  virtual HRESULT DoDraw(const DrawCall& call) = 0;
  virtual HRESULT DoPresent() = 0;
  // Reads a GPU-resident colour surface (back buffer, render target) as top-down RGBA.
  virtual HRESULT ReadGpuSurface(Surface* surface, std::vector<uint8_t>* rgba) = 0;

 public:
  // Uploads a lockable target's CPU copy (B, G, R, A bytes) after a writing lock.
  virtual HRESULT WriteGpuSurface(Surface*) { return D3D_OK; }

 protected:
 private:
  HRESULT SubmitDraw(DrawCall& call);
  // A render target or depth-stencil surface with its GPU storage, or the failure.
  HRESULT NewTargetSurface(SurfaceKind kind, const D3DSURFACE_DESC& desc, bool lockable,
                           Surface** surface);
  void SetTargetsDefaultViewport();

  Com<IDirect3D9> direct3d_;
  D3DPRESENT_PARAMETERS params_;
  UINT width_, height_;
  ULONG refs_ = 1;
  StateMirror state_;
  std::array<IDirect3DBaseTexture9*, kSamplerCount> textures_{};
  Surface* renderTarget_ = nullptr;
  Surface* depthStencil_ = nullptr;
  Com<Surface> backBuffer_;
  Com<Surface> autoDepth_;
  VertexBuffer* stream_ = nullptr;
  UINT streamOffset_ = 0, streamStride_ = 0;
  IndexBuffer* indices_ = nullptr;
  bool inScene_ = false;
  VertexLayout layout_;
  bool layoutValid_ = false;
  std::unordered_set<ResourceCore*> live_;
  bool shutDown_ = false;
};

// The Device behind an interface pointer, or null when it is not one of ours.
Device* AsDevice(IDirect3DDevice9* device);

}  // namespace vexil::d3d9

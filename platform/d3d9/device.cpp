// The shared device's life cycle: the implicit back buffer and depth buffer, the registry of
// live resources, display queries, target switching, scenes and clearing.
#include "d3d9/device.h"

#include <new>

#include "d3d9/d3d9_reuse.h"
#include "d3d9/device_binding.h"
#include "d3d9/formats.h"

namespace vexil::d3d9 {

Device* AsDevice(IDirect3DDevice9* device) {
  return dynamic_cast<Device*>(device);
}

Device::Device(IDirect3D9* direct3d, const D3DPRESENT_PARAMETERS& params, UINT width, UINT height)
    : direct3d_(Com<IDirect3D9>::Share(direct3d)), params_(params), width_(width), height_(height) {
  if (params_.BackBufferFormat == D3DFMT_UNKNOWN) params_.BackBufferFormat = D3DFMT_X8R8G8B8;
  params_.BackBufferWidth = width_;
  params_.BackBufferHeight = height_;
  if (params_.BackBufferCount == 0) params_.BackBufferCount = 1;
}

Device::~Device() {
  Shutdown();
}

ULONG Device::Release() {
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Device::InitCommon() {
  D3DSURFACE_DESC desc{};
  desc.Format =
      IsRenderTargetFormat(params_.BackBufferFormat) ? params_.BackBufferFormat : D3DFMT_X8R8G8B8;
  desc.Type = D3DRTYPE_SURFACE;
  desc.Usage = D3DUSAGE_RENDERTARGET;
  desc.Pool = D3DPOOL_DEFAULT;
  desc.Width = width_;
  desc.Height = height_;
  // A display the GPU cannot hold fails the device's creation, as on D3D9.
  HRESULT hr = NewTargetSurface(SurfaceKind::kColor, desc,
                                (params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0,
                                backBuffer_.put());
  if (FAILED(hr)) return hr;
  if (params_.EnableAutoDepthStencil) {
    D3DSURFACE_DESC depth = desc;
    depth.Format = IsDepthFormat(params_.AutoDepthStencilFormat) ? params_.AutoDepthStencilFormat
                                                                 : D3DFMT_D24S8;
    depth.Usage = D3DUSAGE_DEPTHSTENCIL;
    hr = NewTargetSurface(SurfaceKind::kDepthStencil, depth, false, autoDepth_.put());
    if (FAILED(hr)) return hr;
  }
  Rebind(renderTarget_, backBuffer_.get());
  Rebind(depthStencil_, autoDepth_.get());
  state_.Reset(autoDepth_ != nullptr, width_, height_);
  return D3D_OK;
}

void Device::ResetState() {
  for (auto& t : textures_) Rebind<IDirect3DBaseTexture9>(t, nullptr);
  Rebind(stream_, static_cast<VertexBuffer*>(nullptr));
  Rebind(indices_, static_cast<IndexBuffer*>(nullptr));
  streamOffset_ = streamStride_ = 0;
  Rebind(renderTarget_, backBuffer_.get());
  Rebind(depthStencil_, autoDepth_.get());
  layoutValid_ = false;
  state_.Reset(autoDepth_ != nullptr, width_, height_);
}

void Device::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  for (auto& t : textures_) Rebind<IDirect3DBaseTexture9>(t, nullptr);
  Rebind(stream_, static_cast<VertexBuffer*>(nullptr));
  Rebind(indices_, static_cast<IndexBuffer*>(nullptr));
  Rebind(renderTarget_, static_cast<Surface*>(nullptr));
  Rebind(depthStencil_, static_cast<Surface*>(nullptr));
  backBuffer_.reset();
  autoDepth_.reset();
  // Whatever the caller still holds outlives the device: free its GPU side now and let the
  // object die quietly on its last Release.
  std::vector<ResourceCore*> remaining(live_.begin(), live_.end());
  for (ResourceCore* r : remaining) {
    KeepContentsOf(r);
    FreeGpuObjects(r);
    r->DetachFromDevice();
  }
  live_.clear();
}

void Device::KeepContentsOf(ResourceCore* resource) {
  // What only the GPU held comes back to the CPU copy before the GPU side goes: a resource
  // the caller still holds can still be locked.
  if (auto* texture = dynamic_cast<Texture*>(resource)) {
    for (UINT i = 0; i < texture->Levels().size(); ++i) texture->RestoreLevel(i, true);
  } else if (auto* buffer = dynamic_cast<VertexBuffer*>(resource)) {
    if (buffer->storage.GpuOnly()) {
      try {
        uint8_t* copy = buffer->storage.RestoreCopy();
        if (FAILED(ReadBackBuffer(buffer, copy, buffer->storage.Size()))) {
          buffer->storage.DropCopy();
        }
      } catch (const std::bad_alloc&) {
      }
    }
  }
}

void Device::Register(ResourceCore* resource) {
  live_.insert(resource);
}

void Device::Unregister(ResourceCore* resource) {
  live_.erase(resource);
}

// ---- Device and display ------------------------------------------------------------------

HRESULT Device::GetDirect3D(IDirect3D9** ppD3D9) {
  if (!ppD3D9) return D3DERR_INVALIDCALL;
  *ppD3D9 = Com<IDirect3D9>(direct3d_).detach();
  return direct3d_ ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
  if (!pMode || iSwapChain != 0) return D3DERR_INVALIDCALL;
  pMode->Width = width_;
  pMode->Height = height_;
  pMode->RefreshRate = params_.FullScreen_RefreshRateInHz;
  pMode->Format = backBuffer_ ? backBuffer_->Desc().Format : D3DFMT_X8R8G8B8;
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE,
                              IDirect3DSurface9** ppBackBuffer) {
  if (!ppBackBuffer) return D3DERR_INVALIDCALL;
  *ppBackBuffer = nullptr;
  if (iSwapChain != 0 || iBackBuffer >= params_.BackBufferCount || !backBuffer_) {
    return D3DERR_INVALIDCALL;
  }
  // Every back buffer of the chain is the one offscreen target: Present copies it out.
  *ppBackBuffer = Com<Surface>(backBuffer_).detach();
  return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  if (inScene_) return D3DERR_INVALIDCALL;
  return DoPresent();
}

// ---- Targets ------------------------------------------------------------------------------

void Device::SetTargetsDefaultViewport() {
  const D3DSURFACE_DESC& d = renderTarget_->Desc();
  // D3D9 resets the viewport and scissor rectangle to the whole new target.
  state_.viewport = {0, 0, d.Width, d.Height, 0.0f, 1.0f};
  state_.scissor = {0, 0, static_cast<LONG>(d.Width), static_cast<LONG>(d.Height)};
  state_.dirty |= kDirtyTargets | kDirtyViewport | kDirtyScissor;
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* pRenderTarget) {
  if (index != 0) return D3DERR_INVALIDCALL;
  Surface* s = dynamic_cast<Surface*>(pRenderTarget);
  if (!s || !s->IsRenderTarget()) return D3DERR_INVALIDCALL;
  Device* owner = s->Container() ? s->Container()->OwningDevice() : s->OwningDevice();
  if (owner != this) return D3DERR_INVALIDCALL;
  Rebind(renderTarget_, s);
  SetTargetsDefaultViewport();
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** ppRenderTarget) {
  if (!ppRenderTarget) return D3DERR_INVALIDCALL;
  *ppRenderTarget = nullptr;
  if (index != 0 || !renderTarget_) return index != 0 ? D3DERR_INVALIDCALL : D3DERR_NOTFOUND;
  renderTarget_->AddRef();
  *ppRenderTarget = renderTarget_;
  return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) {
  Surface* s = nullptr;
  if (pNewZStencil) {
    s = dynamic_cast<Surface*>(pNewZStencil);
    if (!s || s->Kind() != SurfaceKind::kDepthStencil || s->OwningDevice() != this) {
      return D3DERR_INVALIDCALL;
    }
  }
  Rebind(depthStencil_, s);
  state_.dirty |= kDirtyTargets;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) {
  if (!ppZStencilSurface) return D3DERR_INVALIDCALL;
  *ppZStencilSurface = depthStencil_;
  if (!depthStencil_) return D3DERR_NOTFOUND;
  depthStencil_->AddRef();
  return D3D_OK;
}

// ---- Scenes and clearing -----------------------------------------------------------------

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
  if ((count > 0 && !pRects) || flags == 0 ||
      (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) {
    return D3DERR_INVALIDCALL;
  }
  // Like D3D9: clearing depth or stencil without a depth-stencil surface fails as a whole.
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_) {
    return D3DERR_INVALIDCALL;
  }
  if (z < 0.0f || z > 1.0f) return D3DERR_INVALIDCALL;
  if (!pRects) count = 0;
  return DoClear(count, pRects, flags, color, z, stencil);
}

}  // namespace vexil::d3d9

// ---- Vexil extensions shared by the backends --------------------------------------------------

using vexil::d3d9::AsDevice;

HRESULT VexilSetFrameReader(IDirect3DDevice9* pDevice, VexilFrameReader reader, void* pUser) {
  vexil::d3d9::Device* device = AsDevice(pDevice);
  if (!device) return D3DERR_INVALIDCALL;
  return device->SetFrameReader(reader, pUser);
}

HRESULT VexilSetFrameReaderDepth(IDirect3DDevice9* pDevice, UINT depth, UINT* pGranted) {
  vexil::d3d9::Device* device = AsDevice(pDevice);
  if (!device) return D3DERR_INVALIDCALL;
  UINT granted = 0;
  const HRESULT hr = device->SetFrameReaderDepth(depth, &granted);
  if (pGranted) *pGranted = SUCCEEDED(hr) ? granted : 0;
  return hr;
}

HRESULT VexilFlushFrameReader(IDirect3DDevice9* pDevice) {
  vexil::d3d9::Device* device = AsDevice(pDevice);
  return device ? device->FlushFrameReader() : D3DERR_INVALIDCALL;
}

HRESULT VexilResetDeviceState(IDirect3DDevice9* pDevice) {
  vexil::d3d9::Device* device = AsDevice(pDevice);
  if (!device || device->InScene()) return D3DERR_INVALIDCALL;
  device->ResetState();
  return D3D_OK;
}

UINT VexilCountLiveResources(IDirect3DDevice9* pDevice) {
  vexil::d3d9::Device* device = AsDevice(pDevice);
  return device ? device->LiveResourceCount() : 0;
}

HRESULT VexilReadSurfaceRGBA(IDirect3DSurface9* pSurface, std::vector<uint8_t>* pRgba, UINT* pWidth,
                             UINT* pHeight) {
  auto* surface = dynamic_cast<vexil::d3d9::Surface*>(pSurface);
  if (!surface || !pRgba) return D3DERR_INVALIDCALL;
  vexil::d3d9::Device* device =
      surface->Container() ? surface->Container()->OwningDevice() : surface->OwningDevice();
  if (!device) return D3DERR_INVALIDCALL;
  HRESULT hr = device->ReadSurfaceRGBA(surface, pRgba);
  if (SUCCEEDED(hr)) {
    if (pWidth) *pWidth = surface->Desc().Width;
    if (pHeight) *pHeight = surface->Desc().Height;
  }
  return hr;
}

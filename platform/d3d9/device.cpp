// The shared device: construction of the implicit surfaces, state get/set against the
// mirror, resource creation with D3D9's argument checks, target switching, draw validation.
#include "d3d9/device.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "d3d9/formats.h"

namespace vexil::d3d9 {

namespace {

constexpr UINT kMaxTextureSize = 16384;
constexpr UINT kMaxBufferSize = 512u << 20;

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
    }
  }
  return r;
}

template <class T>
void Rebind(T*& slot, T* value) {
  if (slot == value) return;
  if (value) value->AddRef();
  T* old = slot;
  slot = value;
  if (old) old->Release();
}

}  // namespace

Device* AsDevice(IDirect3DDevice9* device) {
  return dynamic_cast<Device*>(device);
}

Device::Device(IDirect3D9* direct3d, const D3DPRESENT_PARAMETERS& params, UINT width, UINT height)
    : direct3d_(direct3d), params_(params), width_(width), height_(height) {
  if (direct3d_) direct3d_->AddRef();
  if (params_.BackBufferFormat == D3DFMT_UNKNOWN) params_.BackBufferFormat = D3DFMT_X8R8G8B8;
  params_.BackBufferWidth = width_;
  params_.BackBufferHeight = height_;
  if (params_.BackBufferCount == 0) params_.BackBufferCount = 1;
}

Device::~Device() {
  Shutdown();
  if (direct3d_) direct3d_->Release();
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
  backBuffer_ = new Surface(this, SurfaceKind::kColor, desc,
                            (params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0);
  if (params_.EnableAutoDepthStencil) {
    D3DSURFACE_DESC depth = desc;
    depth.Format = IsDepthFormat(params_.AutoDepthStencilFormat) ? params_.AutoDepthStencilFormat
                                                                 : D3DFMT_D24S8;
    depth.Usage = D3DUSAGE_DEPTHSTENCIL;
    autoDepth_ = new Surface(this, SurfaceKind::kDepthStencil, depth, false);
  }
  Rebind(renderTarget_, backBuffer_);
  Rebind(depthStencil_, autoDepth_);
  state_.Reset(autoDepth_ != nullptr, width_, height_);
  return D3D_OK;
}

void Device::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  for (auto& t : textures_) Rebind<IDirect3DBaseTexture9>(t, nullptr);
  Rebind(stream_, static_cast<VertexBuffer*>(nullptr));
  Rebind(indices_, static_cast<IndexBuffer*>(nullptr));
  Rebind(renderTarget_, static_cast<Surface*>(nullptr));
  Rebind(depthStencil_, static_cast<Surface*>(nullptr));
  if (backBuffer_) backBuffer_->Release();
  if (autoDepth_) autoDepth_->Release();
  backBuffer_ = autoDepth_ = nullptr;
  // Whatever the caller still holds outlives the device: free its GPU side now and let the
  // object die quietly on its last Release.
  std::vector<ResourceCore*> remaining(live_.begin(), live_.end());
  for (ResourceCore* r : remaining) {
    FreeGpuObjects(r);
    r->DetachFromDevice();
  }
  live_.clear();
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
  *ppD3D9 = direct3d_;
  if (direct3d_) direct3d_->AddRef();
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
  backBuffer_->AddRef();
  *ppBackBuffer = backBuffer_;
  return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  if (inScene_) return D3DERR_INVALIDCALL;
  return DoPresent();
}

// ---- Resources ------------------------------------------------------------------------

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (pSharedHandle || width == 0 || height == 0 || width > kMaxTextureSize ||
      height > kMaxTextureSize) {
    return D3DERR_INVALIDCALL;
  }
  if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_RENDERTARGET) {
    if (pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (!IsRenderTargetFormat(format)) return D3DERR_NOTAVAILABLE;
  } else if (ColorBytesPerPixel(format) == 0) {
    return D3DERR_NOTAVAILABLE;
  }
  if (FAILED(InjectedFailure(VEXIL_FAIL_CREATETEXTURE))) return D3DERR_OUTOFVIDEOMEMORY;
  try {
    *ppTexture = new Texture(this, width, height, levels, usage, format, pool);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
  if (!ppVertexBuffer) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = nullptr;
  if (pSharedHandle || length == 0 || length > kMaxBufferSize) return D3DERR_INVALIDCALL;
  if (FAILED(InjectedFailure(VEXIL_FAIL_CREATEVERTEXBUFFER))) return D3DERR_OUTOFVIDEOMEMORY;
  try {
    *ppVertexBuffer = new VertexBuffer(this, length, usage, fvf, pool);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
  if (!ppIndexBuffer) return D3DERR_INVALIDCALL;
  *ppIndexBuffer = nullptr;
  if (pSharedHandle || length == 0 || length > kMaxBufferSize) return D3DERR_INVALIDCALL;
  if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return D3DERR_INVALIDCALL;
  if (FAILED(InjectedFailure(VEXIL_FAIL_CREATEINDEXBUFFER))) return D3DERR_OUTOFVIDEOMEMORY;
  try {
    *ppIndexBuffer = new IndexBuffer(this, length, usage, format, pool);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE,
                                   DWORD, BOOL lockable, IDirect3DSurface9** ppSurface,
                                   HANDLE* pSharedHandle) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (pSharedHandle || width == 0 || height == 0 || width > kMaxTextureSize ||
      height > kMaxTextureSize) {
    return D3DERR_INVALIDCALL;
  }
  if (!IsRenderTargetFormat(format)) return D3DERR_NOTAVAILABLE;
  D3DSURFACE_DESC desc{format,
                       D3DRTYPE_SURFACE,
                       D3DUSAGE_RENDERTARGET,
                       D3DPOOL_DEFAULT,
                       D3DMULTISAMPLE_NONE,
                       0,
                       width,
                       height};
  *ppSurface = new Surface(this, SurfaceKind::kColor, desc, lockable != FALSE);
  return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                          IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (pSharedHandle || width == 0 || height == 0 || width > kMaxTextureSize ||
      height > kMaxTextureSize || !IsDepthFormat(format)) {
    return D3DERR_INVALIDCALL;
  }
  if (FAILED(InjectedFailure(VEXIL_FAIL_CREATEDEPTHSTENCILSURFACE))) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  D3DSURFACE_DESC desc{format,
                       D3DRTYPE_SURFACE,
                       D3DUSAGE_DEPTHSTENCIL,
                       D3DPOOL_DEFAULT,
                       D3DMULTISAMPLE_NONE,
                       0,
                       width,
                       height};
  *ppSurface = new Surface(this, SurfaceKind::kDepthStencil, desc, false);
  return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (pSharedHandle || width == 0 || height == 0 || width > kMaxTextureSize ||
      height > kMaxTextureSize || pool == D3DPOOL_MANAGED) {
    return D3DERR_INVALIDCALL;
  }
  if (ColorBytesPerPixel(format) == 0) return D3DERR_NOTAVAILABLE;
  D3DSURFACE_DESC desc{format, D3DRTYPE_SURFACE, 0, pool, D3DMULTISAMPLE_NONE, 0, width, height};
  try {
    *ppSurface = new Surface(this, SurfaceKind::kColor, desc, true);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT Device::ReadSurfaceRGBA(Surface* s, std::vector<uint8_t>* rgba) {
  if (!s || !rgba || s->Kind() == SurfaceKind::kDepthStencil) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& d = s->Desc();
  const uint8_t* src = nullptr;
  UINT pitch = 0;
  if (s->Kind() == SurfaceKind::kTextureLevel && !s->Container()->IsRenderTarget()) {
    Texture::Level& level = s->Container()->Levels()[s->Level()];
    src = level.bytes.data();
    pitch = level.pitch;
  } else if (s->Kind() == SurfaceKind::kColor && !s->IsRenderTarget()) {
    src = s->Bytes().data();
    pitch = s->Pitch();
  } else {
    return ReadGpuSurface(s, rgba);
  }
  rgba->resize(static_cast<size_t>(d.Width) * d.Height * 4);
  for (UINT y = 0; y < d.Height; ++y) {
    uint8_t* row = rgba->data() + static_cast<size_t>(y) * d.Width * 4;
    RowToBgra8(d.Format, src + static_cast<size_t>(y) * pitch, row, d.Width);
    for (UINT x = 0; x < d.Width; ++x) std::swap(row[x * 4], row[x * 4 + 2]);
  }
  return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                    IDirect3DSurface9* pDestSurface) {
  Surface* src = dynamic_cast<Surface*>(pRenderTarget);
  Surface* dst = dynamic_cast<Surface*>(pDestSurface);
  if (!src || !dst || !src->IsRenderTarget() || dst->Kind() != SurfaceKind::kColor ||
      dst->IsRenderTarget() || ColorBytesPerPixel(dst->Desc().Format) != 4 ||
      src->Desc().Width != dst->Desc().Width || src->Desc().Height != dst->Desc().Height) {
    return D3DERR_INVALIDCALL;
  }
  std::vector<uint8_t> rgba;
  HRESULT hr = ReadSurfaceRGBA(src, &rgba);
  if (FAILED(hr)) return hr;
  uint8_t* out = dst->Bytes().data();
  const bool abgr = dst->Desc().Format == D3DFMT_A8B8G8R8 || dst->Desc().Format == D3DFMT_X8B8G8R8;
  for (size_t i = 0; i < rgba.size() / 4; ++i) {
    out[i * 4 + 0] = abgr ? rgba[i * 4 + 0] : rgba[i * 4 + 2];
    out[i * 4 + 1] = rgba[i * 4 + 1];
    out[i * 4 + 2] = abgr ? rgba[i * 4 + 2] : rgba[i * 4 + 0];
    out[i * 4 + 3] = rgba[i * 4 + 3];
  }
  return D3D_OK;
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
  if (FAILED(InjectedFailure(VEXIL_FAIL_BEGINSCENE))) return D3DERR_INVALIDCALL;
  inScene_ = true;
  OnSceneEvent(VEXIL_CALL_BEGINSCENE);
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  OnSceneEvent(VEXIL_CALL_ENDSCENE);
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

// ---- Fixed-function state ------------------------------------------------------------------

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE t, const D3DMATRIX* pMatrix) {
  const int slot = StateMirror::TransformSlotOf(t);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  state_.transform[slot] = *pMatrix;
  state_.dirty |= slot == kSlotProjection ? kDirtyTransform | kDirtyProjection : kDirtyTransform;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE t, D3DMATRIX* pMatrix) {
  const int slot = StateMirror::TransformSlotOf(t);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  *pMatrix = state_.transform[slot];
  return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE t, const D3DMATRIX* pMatrix) {
  const int slot = StateMirror::TransformSlotOf(t);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  state_.transform[slot] = Multiply(*pMatrix, state_.transform[slot]);
  state_.dirty |= slot == kSlotProjection ? kDirtyTransform | kDirtyProjection : kDirtyTransform;
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* vp) {
  if (!vp || !renderTarget_) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& d = renderTarget_->Desc();
  if (vp->Width == 0 || vp->Height == 0 || vp->X >= d.Width || vp->Y >= d.Height ||
      vp->Width > d.Width - vp->X || vp->Height > d.Height - vp->Y || !(vp->MinZ >= 0.0f) ||
      !(vp->MaxZ <= 1.0f) || vp->MinZ > vp->MaxZ) {
    return D3DERR_INVALIDCALL;
  }
  state_.viewport = *vp;
  state_.dirty |= kDirtyViewport;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* pViewport) {
  if (!pViewport) return D3DERR_INVALIDCALL;
  *pViewport = state_.viewport;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  state_.material = *pMaterial;
  state_.dirty |= kDirtyMaterial;
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  *pMaterial = state_.material;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* pLight) {
  if (!pLight || index > kMaxLightIndex) return D3DERR_INVALIDCALL;
  if (pLight->Type != D3DLIGHT_POINT && pLight->Type != D3DLIGHT_SPOT &&
      pLight->Type != D3DLIGHT_DIRECTIONAL) {
    return D3DERR_INVALIDCALL;
  }
  if (index >= state_.lights.size()) state_.lights.resize(index + 1);
  LightSlot& slot = state_.lights[index];
  slot.light = *pLight;
  slot.defined = true;
  state_.dirty |= kDirtyLights;
  return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* pLight) {
  if (!pLight || index >= state_.lights.size() || !state_.lights[index].defined) {
    return D3DERR_INVALIDCALL;
  }
  *pLight = state_.lights[index].light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (index > kMaxLightIndex) return D3DERR_INVALIDCALL;
  if (index >= state_.lights.size()) state_.lights.resize(index + 1);
  LightSlot& slot = state_.lights[index];
  if (!slot.defined) {
    slot.light = DefaultLight();
    slot.defined = true;
  }
  slot.enabled = enable != FALSE;
  state_.dirty |= kDirtyLights;
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* pEnable) {
  if (!pEnable || index >= state_.lights.size() || !state_.lights[index].defined) {
    return D3DERR_INVALIDCALL;
  }
  *pEnable = state_.lights[index].enabled ? TRUE : FALSE;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (!StateMirror::IsRenderState(state)) return D3DERR_INVALIDCALL;
  DWORD& slot = state_.render[state];
  if (slot != value) {
    slot = value;
    state_.dirty |= StateMirror::DirtyBitOf(state);
  }
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* pValue) {
  if (!pValue || !StateMirror::IsRenderState(state)) return D3DERR_INVALIDCALL;
  *pValue = state_.render[state];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* pTexture) {
  if (stage >= kSamplerCount) return D3DERR_INVALIDCALL;
  if (pTexture) {
    Texture* t = dynamic_cast<Texture*>(pTexture);
    if (!t || t->OwningDevice() != this) return D3DERR_INVALIDCALL;
  }
  if (textures_[stage] != pTexture) {
    Rebind(textures_[stage], pTexture);
    state_.dirty |= kDirtyTextures;
  }
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** ppTexture) {
  if (!ppTexture || stage >= kSamplerCount) return D3DERR_INVALIDCALL;
  *ppTexture = textures_[stage];
  if (*ppTexture) (*ppTexture)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kStageCount || !StateMirror::IsStageState(type)) return D3DERR_INVALIDCALL;
  DWORD& slot = state_.stage[stage][type];
  if (slot != value) {
    slot = value;
    state_.dirty |= type == D3DTSS_CONSTANT ? kDirtyConstants : kDirtyStage;
  }
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* pValue) {
  if (!pValue || stage >= kStageCount || !StateMirror::IsStageState(type)) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = state_.stage[stage][type];
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= kSamplerCount || !StateMirror::IsSamplerState(type)) return D3DERR_INVALIDCALL;
  DWORD& slot = state_.sampler[sampler][type];
  if (slot != value) {
    slot = value;
    state_.dirty |= kDirtySampler;
  }
  return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* pValue) {
  if (!pValue || sampler >= kSamplerCount || !StateMirror::IsSamplerState(type)) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = state_.sampler[sampler][type];
  return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* pRect) {
  if (!pRect || pRect->left > pRect->right || pRect->top > pRect->bottom) {
    return D3DERR_INVALIDCALL;
  }
  state_.scissor = *pRect;
  state_.dirty |= kDirtyScissor;
  return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* pRect) {
  if (!pRect) return D3DERR_INVALIDCALL;
  *pRect = state_.scissor;
  return D3D_OK;
}

// ---- Vertex input and drawing ----------------------------------------------------------------

HRESULT Device::SetFVF(DWORD fvf) {
  if (fvf != state_.fvf || !layoutValid_) {
    state_.fvf = fvf;
    layoutValid_ = DecodeFvf(fvf, &layout_);
    state_.dirty |= kDirtyVertexInput;
  }
  return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* pFVF) {
  if (!pFVF) return D3DERR_INVALIDCALL;
  *pFVF = state_.fvf;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* pStreamData,
                                UINT offsetInBytes, UINT stride) {
  // Flexible vertex formats read stream 0 only.
  if (streamNumber != 0) return D3DERR_INVALIDCALL;
  VertexBuffer* vb = nullptr;
  if (pStreamData) {
    vb = dynamic_cast<VertexBuffer*>(pStreamData);
    if (!vb || vb->OwningDevice() != this) return D3DERR_INVALIDCALL;
  }
  Rebind(stream_, vb);
  streamOffset_ = offsetInBytes;
  streamStride_ = stride;
  state_.dirty |= kDirtyVertexInput;
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                UINT* pOffsetInBytes, UINT* pStride) {
  if (streamNumber != 0 || !ppStreamData || !pOffsetInBytes || !pStride) {
    return D3DERR_INVALIDCALL;
  }
  *ppStreamData = stream_;
  if (stream_) stream_->AddRef();
  *pOffsetInBytes = streamOffset_;
  *pStride = streamStride_;
  return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  IndexBuffer* ib = nullptr;
  if (pIndexData) {
    ib = dynamic_cast<IndexBuffer*>(pIndexData);
    if (!ib || ib->OwningDevice() != this) return D3DERR_INVALIDCALL;
  }
  Rebind(indices_, ib);
  state_.dirty |= kDirtyVertexInput;
  return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
  if (!ppIndexData) return D3DERR_INVALIDCALL;
  *ppIndexData = indices_;
  if (indices_) indices_->AddRef();
  return D3D_OK;
}

HRESULT Device::SubmitDraw(DrawCall& call) {
  if (call.type < D3DPT_POINTLIST || call.type > D3DPT_TRIANGLEFAN) return D3DERR_INVALIDCALL;
  if (!layoutValid_) return D3DERR_INVALIDCALL;
  if (call.primitiveCount == 0) return D3D_OK;
  call.layout = &layout_;
  call.elementCount = VerticesForPrimitives(call.type, call.primitiveCount);
  if (call.stride < layout_.stride) return D3DERR_INVALIDCALL;
  return DoDraw(call);
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  if (!stream_) return D3DERR_INVALIDCALL;
  DrawCall call;
  call.type = type;
  call.primitiveCount = primitiveCount;
  call.startVertex = startVertex;
  call.stream = stream_;
  call.streamOffset = streamOffset_;
  call.stride = streamStride_;
  if (layoutValid_ && primitiveCount > 0) {
    // Reading past the end of the buffer would make the GPU fetch foreign memory.
    const uint64_t last =
        static_cast<uint64_t>(streamOffset_) +
        (static_cast<uint64_t>(startVertex) + VerticesForPrimitives(type, primitiveCount) - 1) *
            streamStride_ +
        layout_.stride;
    if (last > stream_->storage.Size()) return D3DERR_INVALIDCALL;
  }
  return SubmitDraw(call);
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex,
                                     UINT minVertexIndex, UINT numVertices, UINT startIndex,
                                     UINT primCount) {
  if (!stream_ || !indices_) return D3DERR_INVALIDCALL;
  DrawCall call;
  call.type = type;
  call.primitiveCount = primCount;
  call.indexed = true;
  call.baseVertex = baseVertexIndex;
  call.minIndex = minVertexIndex;
  call.numVertices = numVertices;
  call.startIndex = startIndex;
  call.stream = stream_;
  call.indices = indices_;
  call.streamOffset = streamOffset_;
  call.stride = streamStride_;
  if (layoutValid_ && primCount > 0 && type >= D3DPT_POINTLIST && type <= D3DPT_TRIANGLEFAN) {
    const UINT count = VerticesForPrimitives(type, primCount);
    const uint64_t indexEnd = (static_cast<uint64_t>(startIndex) + count) * indices_->IndexSize();
    if (indexEnd > indices_->storage.Size()) return D3DERR_INVALIDCALL;
    auto fits = [&](UINT lo, UINT hi) {
      const int64_t first = static_cast<int64_t>(baseVertexIndex) + lo;
      const int64_t last = static_cast<int64_t>(baseVertexIndex) + hi;
      return first >= 0 && static_cast<uint64_t>(streamOffset_) +
                                   static_cast<uint64_t>(last) * streamStride_ + layout_.stride <=
                               stream_->storage.Size();
    };
    UINT lo = 0, hi = 0;
    indices_->WholeRange(&lo, &hi);
    if (!fits(lo, hi)) {
      indices_->IndexRange(startIndex, count, &lo, &hi);
      if (!fits(lo, hi)) return D3DERR_INVALIDCALL;
    }
  }
  return SubmitDraw(call);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* pData,
                                UINT stride) {
  if (!pData || stride == 0) return D3DERR_INVALIDCALL;
  DrawCall call;
  call.type = type;
  call.primitiveCount = primitiveCount;
  call.userVertices = static_cast<const uint8_t*>(pData);
  call.stride = stride;
  call.userVertexBytes = VerticesForPrimitives(type, primitiveCount) * stride;
  HRESULT hr = SubmitDraw(call);
  // D3D9 unbinds stream 0 after a UP draw.
  SetStreamSource(0, nullptr, 0, 0);
  return hr;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT numVertices,
                                       UINT primitiveCount, const void* pIndexData,
                                       D3DFORMAT indexFormat, const void* pVertexData,
                                       UINT stride) {
  if (!pIndexData || !pVertexData || stride == 0 || numVertices == 0 ||
      (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
    return D3DERR_INVALIDCALL;
  }
  const UINT count = VerticesForPrimitives(type, primitiveCount);
  // The caller vouches for numVertices; check it so the copy cannot overrun its memory.
  for (UINT i = 0; i < count; ++i) {
    const UINT index = indexFormat == D3DFMT_INDEX16 ? static_cast<const uint16_t*>(pIndexData)[i]
                                                     : static_cast<const uint32_t*>(pIndexData)[i];
    if (index < minVertexIndex || index >= minVertexIndex + numVertices) {
      return D3DERR_INVALIDCALL;
    }
  }
  DrawCall call;
  call.type = type;
  call.primitiveCount = primitiveCount;
  call.indexed = true;
  call.minIndex = minVertexIndex;
  call.numVertices = numVertices;
  call.userVertices = static_cast<const uint8_t*>(pVertexData);
  call.userVertexBytes = (minVertexIndex + numVertices) * stride;
  call.userIndices = pIndexData;
  call.userIndexFormat = indexFormat;
  call.stride = stride;
  HRESULT hr = SubmitDraw(call);
  SetStreamSource(0, nullptr, 0, 0);
  SetIndices(nullptr);
  return hr;
}

}  // namespace vexil::d3d9

// ---- Vexil extensions shared by the backends --------------------------------------------------

using vexil::d3d9::AsDevice;

HRESULT VexilSetFrameReader(IDirect3DDevice9* pDevice, VexilFrameReader reader, void* pUser) {
  vexil::d3d9::Device* device = AsDevice(pDevice);
  if (!device) return D3DERR_INVALIDCALL;
  return device->SetFrameReader(reader, pUser);
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

// Resource creation on the shared device with D3D9's argument checks, and reading colour
// surfaces back (CPU copies here, GPU targets through the backend).
#include <new>
#include <utility>

#include "d3d9/device.h"
#include "d3d9/formats.h"

namespace vexil::d3d9 {

namespace {

constexpr UINT kMaxTextureSize = 16384;
constexpr UINT kMaxBufferSize = 512u << 20;

}  // namespace

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
  Com<Texture> texture;
  try {
    texture = Com<Texture>::Adopt(new Texture(this, width, height, levels, usage, format, pool));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (usage & D3DUSAGE_RENDERTARGET) {
    const HRESULT hr = AllocateGpuObjects(texture.get());
    if (FAILED(hr)) return hr;
  }
  *ppTexture = texture.detach();
  return D3D_OK;
}

HRESULT Device::NewTargetSurface(SurfaceKind kind, const D3DSURFACE_DESC& desc, bool lockable,
                                 Surface** surface) {
  *surface = nullptr;
  Com<Surface> made;
  try {
    made = Com<Surface>::Adopt(new Surface(this, kind, desc, lockable));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = AllocateGpuObjects(made.get());
  if (FAILED(hr)) return hr;
  *surface = made.detach();
  return D3D_OK;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
  if (!ppVertexBuffer) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = nullptr;
  if (pSharedHandle || length == 0 || length > kMaxBufferSize) return D3DERR_INVALIDCALL;
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
  Surface* surface = nullptr;
  const HRESULT hr = NewTargetSurface(SurfaceKind::kColor, desc, lockable != FALSE, &surface);
  *ppSurface = surface;
  return hr;
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
  D3DSURFACE_DESC desc{format,
                       D3DRTYPE_SURFACE,
                       D3DUSAGE_DEPTHSTENCIL,
                       D3DPOOL_DEFAULT,
                       D3DMULTISAMPLE_NONE,
                       0,
                       width,
                       height};
  Surface* surface = nullptr;
  const HRESULT hr = NewTargetSurface(SurfaceKind::kDepthStencil, desc, false, &surface);
  *ppSurface = surface;
  return hr;
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
    const HRESULT hr = s->Container()->RestoreLevel(s->Level(), true);
    if (FAILED(hr)) return hr;
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

}  // namespace vexil::d3d9

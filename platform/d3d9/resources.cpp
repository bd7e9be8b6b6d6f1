// Textures, surfaces and buffers: reference counting, locking of the CPU copies, and the
// dirty tracking the GL backend uploads from.
#include "d3d9/resources.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "d3d9/device.h"
#include "d3d9/formats.h"

namespace vexil::d3d9 {

// ---- ResourceCore ----------------------------------------------------------------------

ResourceCore::ResourceCore(Device* device) : device_(device) {
  if (device_) device_->Register(this);
}

ResourceCore::~ResourceCore() {
  if (device_) {
    device_->FreeGpuObjects(this);
    device_->Unregister(this);
  }
}

HRESULT ResourceCore::GetDeviceImpl(IDirect3DDevice9** ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  *ppDevice = device_;
  if (!device_) return D3DERR_INVALIDCALL;
  device_->AddRef();
  return D3D_OK;
}

namespace {

// Validates a lock rectangle against a level and returns the byte offset of its corner.
bool LockOffset(const RECT* rect, UINT width, UINT height, UINT pitch, UINT bpp, size_t* offset) {
  if (!rect) {
    *offset = 0;
    return true;
  }
  if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(width) ||
      rect->bottom > static_cast<LONG>(height) || rect->left >= rect->right ||
      rect->top >= rect->bottom) {
    return false;
  }
  *offset = static_cast<size_t>(rect->top) * pitch + static_cast<size_t>(rect->left) * bpp;
  return true;
}

}  // namespace

// ---- Surface ----------------------------------------------------------------------------

Surface::Surface(Device* device, SurfaceKind kind, const D3DSURFACE_DESC& desc, bool lockable)
    : ResourceCore(device), kind_(kind), desc_(desc), lockable_(lockable) {
  gpuObject = kind == SurfaceKind::kDepthStencil ? GpuObject::kRenderbuffer : GpuObject::kTexture;
  if (kind_ == SurfaceKind::kColor && !IsRenderTarget()) {
    bytes_.assign(static_cast<size_t>(Pitch()) * desc_.Height, 0);
  }
}

Surface::Surface(Texture* container, UINT level)
    : ResourceCore(nullptr),
      kind_(SurfaceKind::kTextureLevel),
      desc_(container->LevelDesc(level)),
      container_(container),
      level_(level) {}

Surface::~Surface() = default;

UINT Surface::Pitch() const {
  return desc_.Width * std::max(1u, ColorBytesPerPixel(desc_.Format));
}

ULONG Surface::AddRef() {
  if (container_) return container_->AddRef();
  return ++refs_;
}

ULONG Surface::Release() {
  if (container_) return container_->Release();
  if (refs_ == 0) return 0;  // over-release: ignore rather than free twice
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Surface::GetDevice(IDirect3DDevice9** ppDevice) {
  if (container_) return container_->GetDevice(ppDevice);
  return GetDeviceImpl(ppDevice);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) {
  if (container_) return container_->LockRect(level_, pLockedRect, pRect, flags);
  if (!pLockedRect || kind_ != SurfaceKind::kColor || locked_) return D3DERR_INVALIDCALL;
  if (IsRenderTarget() && !lockable_) return D3DERR_INVALIDCALL;
  Device* device = OwningDevice();
  if (device && device->RefusesLock()) return D3DERR_INVALIDCALL;
  if (IsRenderTarget()) {
    // A lockable target (back buffer with D3DPRESENTFLAG_LOCKABLE_BACKBUFFER, lockable
    // render target): read what the GPU holds into the CPU copy first.
    if (!device) return D3DERR_INVALIDCALL;
    std::vector<uint8_t> rgba;
    if (FAILED(device->ReadSurfaceRGBA(this, &rgba))) return D3DERR_INVALIDCALL;
    bytes_.resize(static_cast<size_t>(Pitch()) * desc_.Height);
    for (size_t i = 0; i < rgba.size() / 4; ++i) {
      bytes_[i * 4 + 0] = rgba[i * 4 + 2];
      bytes_[i * 4 + 1] = rgba[i * 4 + 1];
      bytes_[i * 4 + 2] = rgba[i * 4 + 0];
      bytes_[i * 4 + 3] = rgba[i * 4 + 3];
    }
  }
  size_t offset = 0;
  if (!LockOffset(pRect, desc_.Width, desc_.Height, Pitch(), ColorBytesPerPixel(desc_.Format),
                  &offset)) {
    return D3DERR_INVALIDCALL;
  }
  pLockedRect->Pitch = static_cast<INT>(Pitch());
  pLockedRect->pBits = bytes_.data() + offset;
  locked_ = true;
  lockWrites_ = !(flags & D3DLOCK_READONLY);
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (container_) return container_->UnlockRect(level_);
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  // What was written into a lockable target goes back to the GPU copy.
  Device* device = OwningDevice();
  if (IsRenderTarget() && lockWrites_ && device) return device->WriteGpuSurface(this);
  return D3D_OK;
}

// ---- Texture ----------------------------------------------------------------------------

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage,
                 D3DFORMAT format, D3DPOOL pool)
    : ResourceCore(device), format_(format), usage_(usage), pool_(pool) {
  gpuObject = GpuObject::kTexture;
  UINT fullChain = 1;
  for (UINT w = width, h = height; w > 1 || h > 1;
       w = std::max(1u, w / 2), h = std::max(1u, h / 2)) {
    ++fullChain;
  }
  if (levels == 0 || levels > fullChain) levels = fullChain;
  const UINT bpp = ColorBytesPerPixel(format);
  levels_.resize(levels);
  UINT w = width, h = height;
  for (UINT i = 0; i < levels; ++i) {
    Level& level = levels_[i];
    level.width = w;
    level.height = h;
    level.pitch = w * bpp;
    if (!IsRenderTarget()) level.bytes.assign(static_cast<size_t>(level.pitch) * h, 0);
    w = std::max(1u, w / 2);
    h = std::max(1u, h / 2);
  }
  for (UINT i = 0; i < levels; ++i) levels_[i].surface.reset(new Surface(this, i));
  // A new texture holds zeros: upload them so sampling it is defined.
  dirtyLevels = IsRenderTarget() ? 0 : (levels >= 32 ? ~0u : ((1u << levels) - 1));
}

Texture::~Texture() = default;

ULONG Texture::Release() {
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Texture::GetDevice(IDirect3DDevice9** ppDevice) {
  return GetDeviceImpl(ppDevice);
}

D3DSURFACE_DESC Texture::LevelDesc(UINT level) const {
  D3DSURFACE_DESC d{};
  d.Format = format_;
  d.Type = D3DRTYPE_SURFACE;
  d.Usage = usage_;
  d.Pool = pool_;
  d.MultiSampleType = D3DMULTISAMPLE_NONE;
  d.Width = levels_[level].width;
  d.Height = levels_[level].height;
  return d;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) {
  if (!pDesc || level >= levels_.size()) return D3DERR_INVALIDCALL;
  *pDesc = LevelDesc(level);
  return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** ppSurfaceLevel) {
  if (!ppSurfaceLevel) return D3DERR_INVALIDCALL;
  *ppSurfaceLevel = nullptr;
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  *ppSurfaceLevel = levels_[level].surface.get();
  AddRef();
  return D3D_OK;
}

HRESULT Texture::RestoreLevel(UINT level, bool readBack) {
  Level& l = levels_[level];
  if (!l.gpuOnly) return D3D_OK;
  try {
    l.bytes.assign(static_cast<size_t>(l.pitch) * l.height, 0);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  if (readBack) {
    const HRESULT hr = device_ ? device_->ReadBackTextureLevel(this, level) : D3DERR_INVALIDCALL;
    if (FAILED(hr)) {
      FreeCopy(&l.bytes);
      return hr;
    }
  }
  l.gpuOnly = false;
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) {
  if (!pLockedRect || level >= levels_.size()) return D3DERR_INVALIDCALL;
  // Render-target textures live on the GPU only, and D3D9 refuses to lock them too.
  if (IsRenderTarget()) return D3DERR_INVALIDCALL;
  Level& l = levels_[level];
  if (l.locked) return D3DERR_INVALIDCALL;
  if (device_ && device_->RefusesLock()) return D3DERR_INVALIDCALL;
  size_t offset = 0;
  if (!LockOffset(pRect, l.width, l.height, l.pitch, ColorBytesPerPixel(format_), &offset)) {
    return D3DERR_INVALIDCALL;
  }
  if (l.gpuOnly) {
    // A dynamic texture's discarding lock gives the old contents up; any other lock sees them.
    const bool discard = (flags & D3DLOCK_DISCARD) && (usage_ & D3DUSAGE_DYNAMIC);
    const HRESULT hr = RestoreLevel(level, !discard);
    if (FAILED(hr)) return hr;
    keepCpuCopies = true;
  }
  pLockedRect->Pitch = static_cast<INT>(l.pitch);
  pLockedRect->pBits = l.bytes.data() + offset;
  l.locked = true;
  if (!(flags & D3DLOCK_READONLY) && level < 32) dirtyLevels |= 1u << level;
  return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
  levels_[level].locked = false;
  return D3D_OK;
}

// ---- Buffers ----------------------------------------------------------------------------

BufferStorage::BufferStorage(UINT size, DWORD usage, D3DPOOL pool)
    : bytes_(size, 0), size_(size), usage_(usage), pool_(pool) {
  // The first draw uploads everything; until then the zeros count as written.
  dirtyBegin = 0;
  dirtyEnd = size;
}

HRESULT BufferStorage::Lock(UINT offset, UINT size, void** ppData, DWORD flags) {
  if (!ppData) return D3DERR_INVALIDCALL;
  *ppData = nullptr;
  const UINT total = Size();
  if (offset > total) return D3DERR_INVALIDCALL;
  if (size == 0) size = total - offset;  // 0 locks to the end, as in D3D9
  if (size > total - offset) return D3DERR_INVALIDCALL;
  const bool writes = !(flags & D3DLOCK_READONLY);
  if (lockCount_ == 0) {
    lockBegin_ = offset;
    lockEnd_ = offset + size;
    lockWrites_ = writes;
  } else {
    lockBegin_ = std::min(lockBegin_, offset);
    lockEnd_ = std::max(lockEnd_, offset + size);
    lockWrites_ = lockWrites_ || writes;
  }
  ++lockCount_;
  if ((flags & D3DLOCK_DISCARD) && writes) {
    // The caller promises to rewrite what it draws: the backend may orphan the GPU copy.
    discardPending = true;
  }
  *ppData = bytes_.data() + offset;
  return D3D_OK;
}

void BufferStorage::DropCopy() {
  if (lockCount_ != 0 || dirtyEnd > dirtyBegin) return;  // the GPU does not hold it all yet
  FreeCopy(&bytes_);
  gpuOnly_ = true;
}

uint8_t* BufferStorage::RestoreCopy() {
  if (gpuOnly_) {
    bytes_.assign(size_, 0);
    gpuOnly_ = false;
    keepCopy_ = true;
  }
  return bytes_.data();
}

HRESULT BufferStorage::Unlock() {
  if (lockCount_ == 0) return D3DERR_INVALIDCALL;
  if (--lockCount_ > 0) return D3D_OK;
  if (lockWrites_ && lockEnd_ > lockBegin_) {
    if (dirtyEnd <= dirtyBegin) {
      dirtyBegin = lockBegin_;
      dirtyEnd = lockEnd_;
    } else {
      dirtyBegin = std::min(dirtyBegin, lockBegin_);
      dirtyEnd = std::max(dirtyEnd, lockEnd_);
    }
    ++generation;
  }
  return D3D_OK;
}

VertexBuffer::VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : ResourceCore(device), storage(length, usage, pool), fvf_(fvf) {
  gpuObject = GpuObject::kBuffer;
}

ULONG VertexBuffer::Release() {
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT VertexBuffer::GetDevice(IDirect3DDevice9** ppDevice) {
  return GetDeviceImpl(ppDevice);
}

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** ppbData, DWORD flags) {
  if (device_ && device_->RefusesLock()) {
    if (ppbData) *ppbData = nullptr;
    return D3DERR_INVALIDCALL;
  }
  if (storage.GpuOnly() && ppbData) {
    // D3DLOCK_DISCARD gives the old contents up; any other lock sees them.
    const bool readBack = !(flags & D3DLOCK_DISCARD) || (flags & D3DLOCK_READONLY);
    uint8_t* copy = nullptr;
    try {
      copy = storage.RestoreCopy();
    } catch (const std::bad_alloc&) {
      *ppbData = nullptr;
      return E_OUTOFMEMORY;
    }
    if (readBack) {
      const HRESULT hr =
          device_ ? device_->ReadBackBuffer(this, copy, storage.Size()) : D3DERR_INVALIDCALL;
      if (FAILED(hr)) {
        storage.DropCopy();  // the GPU still holds the contents
        *ppbData = nullptr;
        return hr;
      }
    }
  }
  return storage.Lock(offset, size, ppbData, flags);
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  pDesc->Format = D3DFMT_VERTEXDATA;
  pDesc->Type = D3DRTYPE_VERTEXBUFFER;
  pDesc->Usage = storage.Usage();
  pDesc->Pool = storage.Pool();
  pDesc->Size = storage.Size();
  pDesc->FVF = fvf_;
  return D3D_OK;
}

IndexBuffer::IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : ResourceCore(device), storage(length, usage, pool), format_(format) {
  gpuObject = GpuObject::kBuffer;
}

ULONG IndexBuffer::Release() {
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT IndexBuffer::GetDevice(IDirect3DDevice9** ppDevice) {
  return GetDeviceImpl(ppDevice);
}

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** ppbData, DWORD flags) {
  if (device_ && device_->RefusesLock()) {
    if (ppbData) *ppbData = nullptr;
    return D3DERR_INVALIDCALL;
  }
  return storage.Lock(offset, size, ppbData, flags);
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_INDEXBUFFER;
  pDesc->Usage = storage.Usage();
  pDesc->Pool = storage.Pool();
  pDesc->Size = storage.Size();
  return D3D_OK;
}

void IndexBuffer::WholeRange(UINT* minIndex, UINT* maxIndex) {
  if (wholeGeneration_ != storage.generation) {
    UINT lo = 0, hi = 0;
    const UINT cachedStart = cacheStart_, cachedCount = cacheCount_;
    const uint64_t cachedGeneration = cacheGeneration_;
    const UINT cachedMin = cacheMin_, cachedMax = cacheMax_;
    IndexRange(0, storage.Size() / IndexSize(), &lo, &hi);
    // Keep the per-range answer the caller may be relying on.
    cacheStart_ = cachedStart, cacheCount_ = cachedCount, cacheGeneration_ = cachedGeneration;
    cacheMin_ = cachedMin, cacheMax_ = cachedMax;
    wholeMin_ = lo, wholeMax_ = hi, wholeGeneration_ = storage.generation;
  }
  *minIndex = wholeMin_;
  *maxIndex = wholeMax_;
}

void IndexBuffer::IndexRange(UINT start, UINT count, UINT* minIndex, UINT* maxIndex) {
  if (cacheGeneration_ != storage.generation || cacheStart_ != start || cacheCount_ != count) {
    UINT lo = ~0u, hi = 0;
    const uint8_t* base = storage.Data() + static_cast<size_t>(start) * IndexSize();
    if (IndexSize() == 2) {
      const uint16_t* p = reinterpret_cast<const uint16_t*>(base);
      for (UINT i = 0; i < count; ++i) lo = std::min<UINT>(lo, p[i]), hi = std::max<UINT>(hi, p[i]);
    } else {
      const uint32_t* p = reinterpret_cast<const uint32_t*>(base);
      for (UINT i = 0; i < count; ++i) lo = std::min<UINT>(lo, p[i]), hi = std::max<UINT>(hi, p[i]);
    }
    cacheGeneration_ = storage.generation;
    cacheStart_ = start;
    cacheCount_ = count;
    cacheMin_ = count ? lo : 0;
    cacheMax_ = hi;
  }
  *minIndex = cacheMin_;
  *maxIndex = cacheMax_;
}

}  // namespace vexil::d3d9

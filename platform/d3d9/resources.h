// The concrete resources both backends share: textures with CPU copies of their levels,
// surfaces (texture levels, back buffer, render targets, depth-stencil buffers) and vertex
// and index buffers with CPU copies and dirty ranges that the GL backend uploads lazily.
// A backend may give a CPU copy up once the GPU holds it (`gpuOnly`); a later lock reads it
// back through the device first, so a lock always finds what was last written.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "d3d9/d3d9.h"

namespace vexil::d3d9 {

class Device;
class Texture;

// Gives a CPU copy's memory back (assigning an empty vector would keep its capacity).
inline void FreeCopy(std::vector<uint8_t>* bytes) {
  std::vector<uint8_t>().swap(*bytes);
}

// What every resource shares: the device that made it (null once that device is gone) and
// the names of the backend's GPU objects. The device frees GPU objects through this base.
class ResourceCore {
 public:
  explicit ResourceCore(Device* device);
  virtual ~ResourceCore();
  ResourceCore(const ResourceCore&) = delete;
  ResourceCore& operator=(const ResourceCore&) = delete;

  Device* OwningDevice() const { return device_; }
  // Called by a device that is being destroyed: its GPU objects are already freed.
  void DetachFromDevice() {
    device_ = nullptr;
    gpuName = 0;
  }

  // Which kind of GPU object gpuName names; set by the concrete resource because the
  // backend frees it from this base's destructor, when the concrete type is already gone.
  enum class GpuObject : uint8_t { kNone, kTexture, kRenderbuffer, kBuffer };
  GpuObject gpuObject = GpuObject::kNone;
  uint32_t gpuName = 0;  // GL texture, buffer or renderbuffer

 protected:
  HRESULT GetDeviceImpl(IDirect3DDevice9** ppDevice);
  Device* device_;
};

enum class SurfaceKind { kTextureLevel, kColor, kDepthStencil };

class Surface final : public IDirect3DSurface9, public ResourceCore {
 public:
  // A standalone surface: back buffer, render target, offscreen plain or depth-stencil.
  Surface(Device* device, SurfaceKind kind, const D3DSURFACE_DESC& desc, bool lockable);
  // A texture level: its reference count is the texture's.
  Surface(Texture* container, UINT level);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) override;
  HRESULT UnlockRect() override;

  SurfaceKind Kind() const { return kind_; }
  const D3DSURFACE_DESC& Desc() const { return desc_; }
  Texture* Container() const { return container_; }
  UINT Level() const { return level_; }
  bool IsRenderTarget() const { return (desc_.Usage & D3DUSAGE_RENDERTARGET) != 0; }
  // CPU copy of a standalone colour surface (offscreen plain surfaces, readbacks).
  std::vector<uint8_t>& Bytes() { return bytes_; }
  UINT Pitch() const;

  ~Surface() override;

 private:
  SurfaceKind kind_;
  D3DSURFACE_DESC desc_;
  Texture* container_ = nullptr;
  UINT level_ = 0;
  bool lockable_ = false;
  bool locked_ = false;
  bool lockWrites_ = false;
  ULONG refs_ = 1;
  std::vector<uint8_t> bytes_;
};

class Texture final : public IDirect3DTexture9, public ResourceCore {
 public:
  struct Level {
    UINT width = 0, height = 0, pitch = 0;
    std::vector<uint8_t> bytes;  // CPU copy (empty for render targets and when gpuOnly)
    bool locked = false;
    bool gpuOnly = false;  // the copy was given up after upload: the GPU holds the level
    std::unique_ptr<Surface> surface;
  };

  // Allocates the CPU copies; throws std::bad_alloc when memory runs out.
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
          D3DPOOL pool);

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                   DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;

  D3DFORMAT Format() const { return format_; }
  DWORD Usage() const { return usage_; }
  D3DPOOL Pool() const { return pool_; }
  bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
  std::vector<Level>& Levels() { return levels_; }
  D3DSURFACE_DESC LevelDesc(UINT level) const;

  // Set by unlocks; the GL backend uploads the dirty levels before the texture is sampled.
  uint32_t dirtyLevels = 0;
  // Whether the GPU copy has mip levels beyond what was uploaded (filled by rendering).
  bool gpuAllocated = false;
  // Set once a lock had to read a given-up level back: a texture locked again after it was
  // drawn is likely to be locked often, so its copies stay from then on.
  bool keepCpuCopies = false;
  // Makes a level's CPU copy current again when a backend gave it up (no-op otherwise).
  HRESULT RestoreLevel(UINT level, bool readBack);

  ~Texture() override;

 private:
  std::vector<Level> levels_;
  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
  ULONG refs_ = 1;
};

// Vertex and index buffers share storage, locking and dirty tracking.
class BufferStorage {
 public:
  BufferStorage(UINT size, DWORD usage, D3DPOOL pool);
  HRESULT Lock(UINT offset, UINT size, void** ppData, DWORD flags);
  HRESULT Unlock();

  UINT Size() const { return size_; }
  const uint8_t* Data() const { return bytes_.data(); }
  DWORD Usage() const { return usage_; }
  D3DPOOL Pool() const { return pool_; }

  // Dirty byte range [dirtyBegin, dirtyEnd) not yet uploaded; discardPending when a
  // D3DLOCK_DISCARD lock lets the backend orphan the GPU storage.
  UINT dirtyBegin = 0, dirtyEnd = 0;
  bool discardPending = false;
  uint64_t generation = 0;  // bumped by every writing unlock

  // A backend may give the CPU copy up once the GPU holds all of it and nothing is locked.
  // The buffer's Lock then makes the copy again (read back from the GPU unless the lock
  // discards the contents) and keeps it from then on: a buffer locked after it was drawn is
  // likely to be locked every frame.
  bool Locked() const { return lockCount_ != 0; }
  bool GpuOnly() const { return gpuOnly_; }
  bool KeepsCopy() const { return keepCopy_; }
  void DropCopy();
  // Allocates the copy again (zeros) for the caller to fill; throws std::bad_alloc.
  uint8_t* RestoreCopy();

 private:
  std::vector<uint8_t> bytes_;
  UINT size_ = 0;
  bool gpuOnly_ = false;
  bool keepCopy_ = false;
  DWORD usage_;
  D3DPOOL pool_;
  UINT lockCount_ = 0;
  UINT lockBegin_ = 0, lockEnd_ = 0;
  bool lockWrites_ = false;
};

class VertexBuffer final : public IDirect3DVertexBuffer9, public ResourceCore {
 public:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** ppbData, DWORD flags) override;
  HRESULT Unlock() override { return storage.Unlock(); }
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  BufferStorage storage;

 private:
  DWORD fvf_;
  ULONG refs_ = 1;
};

class IndexBuffer final : public IDirect3DIndexBuffer9, public ResourceCore {
 public:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** ppbData, DWORD flags) override;
  HRESULT Unlock() override { return storage.Unlock(); }
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  D3DFORMAT Format() const { return format_; }
  UINT IndexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }
  // Smallest and largest of `count` indices from `start`; remembers the last answer so that
  // a buffer drawn the same way every frame is scanned once per upload.
  void IndexRange(UINT start, UINT count, UINT* minIndex, UINT* maxIndex);
  // The same over the whole buffer, computed once per upload: when it already fits the
  // vertex buffer, draws of any part of it need no scan of their own.
  void WholeRange(UINT* minIndex, UINT* maxIndex);

  BufferStorage storage;

 private:
  D3DFORMAT format_;
  ULONG refs_ = 1;
  UINT cacheStart_ = 0, cacheCount_ = 0, cacheMin_ = 0, cacheMax_ = 0;
  uint64_t cacheGeneration_ = ~0ull;
  UINT wholeMin_ = 0, wholeMax_ = 0;
  uint64_t wholeGeneration_ = ~0ull;
};

}  // namespace vexil::d3d9

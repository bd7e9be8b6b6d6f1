// ID3DXMesh over device vertex and index buffers, with the attribute buffer kept on the CPU,
// and D3DXLoadMeshFromXA filling one from an imported .x file.
#include <algorithm>
#include <cstring>
#include <vector>

#include "d3d9/com_ptr.h"
#include "d3dx9/d3dx9math.h"
#include "d3dx9/d3dx9mesh.h"
#include "d3dx9/load_failure.h"
#include "d3dx9/xfile_import.h"
#include "system/file_lookup.h"

namespace {

class Mesh final : public ID3DXMesh {
 public:
  static HRESULT Create(IDirect3DDevice9* device, DWORD numFaces, DWORD numVertices, DWORD options,
                        DWORD fvf, Mesh** out) {
    *out = nullptr;
    const UINT stride = D3DXGetFVFVertexSize(fvf);
    if (!device || numFaces == 0 || numVertices == 0 || stride == 0) return D3DERR_INVALIDCALL;
    if (!(options & D3DXMESH_32BIT) && numVertices > 0x10000) return D3DERR_INVALIDCALL;

    Mesh* mesh = new Mesh(device, numFaces, numVertices, options, fvf, stride);
    const bool index32 = (options & D3DXMESH_32BIT) != 0;
    HRESULT hr = device->CreateVertexBuffer(
        numVertices * stride, Usage(options, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC), fvf,
        Pool(options & (D3DXMESH_VB_SYSTEMMEM | D3DXMESH_VB_MANAGED)), mesh->vb_.put(), nullptr);
    if (SUCCEEDED(hr)) {
      hr = device->CreateIndexBuffer(numFaces * 3 * (index32 ? 4 : 2),
                                     Usage(options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC),
                                     index32 ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                     Pool(options & (D3DXMESH_IB_SYSTEMMEM | D3DXMESH_IB_MANAGED)),
                                     mesh->ib_.put(), nullptr);
    }
    if (FAILED(hr)) {
      mesh->Release();
      return hr;
    }
    mesh->RebuildAttributeTable();
    *out = mesh;
    return D3D_OK;
  }

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT DrawSubset(DWORD attribId) override {
    HRESULT hr = device_->SetFVF(fvf_);
    if (SUCCEEDED(hr)) hr = device_->SetStreamSource(0, vb_.get(), 0, stride_);
    if (SUCCEEDED(hr)) hr = device_->SetIndices(ib_.get());
    if (FAILED(hr)) return hr;
    for (const D3DXATTRIBUTERANGE& range : table_) {
      if (range.AttribId != attribId || range.FaceCount == 0) continue;
      hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart,
                                         range.VertexCount, range.FaceStart * 3, range.FaceCount);
      if (FAILED(hr)) return hr;
    }
    return D3D_OK;
  }

  DWORD GetNumFaces() override { return numFaces_; }
  DWORD GetNumVertices() override { return numVertices_; }
  DWORD GetFVF() override { return fvf_; }
  DWORD GetNumBytesPerVertex() override { return stride_; }
  DWORD GetOptions() override { return options_; }

  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    *ppDevice = vexil::Com<IDirect3DDevice9>(device_).detach();
    return D3D_OK;
  }
  HRESULT GetVertexBuffer(IDirect3DVertexBuffer9** ppVB) override {
    if (!ppVB) return D3DERR_INVALIDCALL;
    *ppVB = vexil::Com<IDirect3DVertexBuffer9>(vb_).detach();
    return D3D_OK;
  }
  HRESULT GetIndexBuffer(IDirect3DIndexBuffer9** ppIB) override {
    if (!ppIB) return D3DERR_INVALIDCALL;
    *ppIB = vexil::Com<IDirect3DIndexBuffer9>(ib_).detach();
    return D3D_OK;
  }

  HRESULT LockVertexBuffer(DWORD flags, LPVOID* ppData) override {
    if (!ppData) return D3DERR_INVALIDCALL;
    return vb_->Lock(0, 0, ppData, flags);
  }
  HRESULT UnlockVertexBuffer() override { return vb_->Unlock(); }
  HRESULT LockIndexBuffer(DWORD flags, LPVOID* ppData) override {
    if (!ppData) return D3DERR_INVALIDCALL;
    return ib_->Lock(0, 0, ppData, flags);
  }
  HRESULT UnlockIndexBuffer() override { return ib_->Unlock(); }

  HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* pTable, DWORD* pSize) override {
    if (!pSize && !pTable) return D3DERR_INVALIDCALL;
    if (pSize) *pSize = static_cast<DWORD>(table_.size());
    if (pTable) std::copy(table_.begin(), table_.end(), pTable);
    return D3D_OK;
  }

  HRESULT LockAttributeBuffer(DWORD flags, DWORD** ppData) override {
    if (!ppData || attributesLocked_) return D3DERR_INVALIDCALL;
    attributesLocked_ = true;
    attributesReadOnly_ = (flags & D3DLOCK_READONLY) != 0;
    *ppData = attributes_.data();
    return D3D_OK;
  }
  HRESULT UnlockAttributeBuffer() override {
    if (!attributesLocked_) return D3DERR_INVALIDCALL;
    attributesLocked_ = false;
    // The table follows the attributes, so DrawSubset sees what the caller wrote.
    if (!attributesReadOnly_) RebuildAttributeTable();
    return D3D_OK;
  }

 private:
  Mesh(IDirect3DDevice9* device, DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
       UINT stride)
      : device_(vexil::Com<IDirect3DDevice9>::Share(device)),
        numFaces_(numFaces),
        numVertices_(numVertices),
        options_(options),
        fvf_(fvf),
        stride_(stride),
        attributes_(numFaces, 0) {}
  ~Mesh() override = default;

  static DWORD Usage(DWORD options, DWORD writeOnlyBit, DWORD dynamicBit) {
    return ((options & writeOnlyBit) ? D3DUSAGE_WRITEONLY : 0) |
           ((options & dynamicBit) ? D3DUSAGE_DYNAMIC : 0);
  }
  static D3DPOOL Pool(DWORD bits) {
    if (bits & (D3DXMESH_VB_SYSTEMMEM | D3DXMESH_IB_SYSTEMMEM)) return D3DPOOL_SYSTEMMEM;
    if (bits & (D3DXMESH_VB_MANAGED | D3DXMESH_IB_MANAGED)) return D3DPOOL_MANAGED;
    return D3DPOOL_DEFAULT;
  }

  // Index ranges come from the index buffer, read through a lock.
  void RebuildAttributeTable() {
    std::vector<uint32_t> indices(static_cast<size_t>(numFaces_) * 3, 0);
    void* data = nullptr;
    if (SUCCEEDED(ib_->Lock(0, 0, &data, D3DLOCK_READONLY)) && data) {
      if (options_ & D3DXMESH_32BIT) {
        std::memcpy(indices.data(), data, indices.size() * 4);
      } else {
        const auto* src = static_cast<const uint16_t*>(data);
        for (size_t i = 0; i < indices.size(); ++i) indices[i] = src[i];
      }
      ib_->Unlock();
    } else {
      // Without readable indices, each range covers every vertex.
      table_.clear();
      for (DWORD f = 0; f < numFaces_; ++f) {
        if (table_.empty() || table_.back().AttribId != attributes_[f])
          table_.push_back({attributes_[f], f, 0, 0, numVertices_});
        ++table_.back().FaceCount;
      }
      return;
    }
    for (uint32_t& i : indices) i = std::min(i, numVertices_ - 1);
    table_ = d3dx::BuildAttributeTable(attributes_, indices);
  }

  friend HRESULT FillMesh(Mesh* mesh, const d3dx::MeshData& data);

  // Declared first: released last, after the buffers made on it.
  vexil::Com<IDirect3DDevice9> device_;
  vexil::Com<IDirect3DVertexBuffer9> vb_;
  vexil::Com<IDirect3DIndexBuffer9> ib_;
  DWORD numFaces_;
  DWORD numVertices_;
  DWORD options_;
  DWORD fvf_;
  UINT stride_;
  std::vector<DWORD> attributes_;
  std::vector<D3DXATTRIBUTERANGE> table_;
  bool attributesLocked_ = false;
  bool attributesReadOnly_ = false;
  ULONG refs_ = 1;
};

HRESULT FillMesh(Mesh* mesh, const d3dx::MeshData& data) {
  void* vertices = nullptr;
  HRESULT hr = mesh->vb_->Lock(0, 0, &vertices, 0);
  if (FAILED(hr)) return hr;
  std::memcpy(vertices, data.vertices.data(), data.vertices.size());
  mesh->vb_->Unlock();

  void* indices = nullptr;
  hr = mesh->ib_->Lock(0, 0, &indices, 0);
  if (FAILED(hr)) return hr;
  if (mesh->options_ & D3DXMESH_32BIT) {
    std::memcpy(indices, data.indices.data(), data.indices.size() * 4);
  } else {
    auto* dst = static_cast<uint16_t*>(indices);
    for (size_t i = 0; i < data.indices.size(); ++i)
      dst[i] = static_cast<uint16_t>(data.indices[i]);
  }
  mesh->ib_->Unlock();

  mesh->attributes_ = data.attributes;
  mesh->table_ = d3dx::BuildAttributeTable(data.attributes, data.indices);
  return D3D_OK;
}

// One buffer holding the D3DXMATERIAL array followed by the texture names it points to.
HRESULT MakeMaterialBuffer(const std::vector<d3dx::MeshMaterial>& materials,
                           ID3DXBuffer** ppBuffer) {
  size_t size = materials.size() * sizeof(D3DXMATERIAL);
  for (const auto& m : materials)
    if (!m.textureFile.empty()) size += m.textureFile.size() + 1;
  HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(size), ppBuffer);
  if (FAILED(hr)) return hr;
  auto* base = static_cast<unsigned char*>((*ppBuffer)->GetBufferPointer());
  auto* out = reinterpret_cast<D3DXMATERIAL*>(base);
  char* names = reinterpret_cast<char*>(base + materials.size() * sizeof(D3DXMATERIAL));
  for (size_t i = 0; i < materials.size(); ++i) {
    out[i].MatD3D = materials[i].material;
    out[i].pTextureFilename = nullptr;
    if (!materials[i].textureFile.empty()) {
      std::memcpy(names, materials[i].textureFile.c_str(), materials[i].textureFile.size() + 1);
      out[i].pTextureFilename = names;
      names += materials[i].textureFile.size() + 1;
    }
  }
  return D3D_OK;
}

HRESULT MakeDwordBuffer(const std::vector<DWORD>& values, ID3DXBuffer** ppBuffer) {
  HRESULT hr = D3DXCreateBuffer(static_cast<DWORD>(values.size() * sizeof(DWORD)), ppBuffer);
  if (SUCCEEDED(hr) && !values.empty())
    std::memcpy((*ppBuffer)->GetBufferPointer(), values.data(), values.size() * sizeof(DWORD));
  return hr;
}

}  // namespace

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice9* pDevice, ID3DXMesh** ppMesh) {
  if (!ppMesh) return D3DERR_INVALIDCALL;
  Mesh* mesh = nullptr;
  HRESULT hr = Mesh::Create(pDevice, numFaces, numVertices, options, fvf, &mesh);
  *ppMesh = mesh;
  return hr;
}

HRESULT D3DXLoadMeshFromXA(LPCSTR pFilename, DWORD options, IDirect3DDevice9* pDevice,
                           ID3DXBuffer** ppAdjacency, ID3DXBuffer** ppMaterials,
                           ID3DXBuffer** ppEffectInstances, DWORD* pNumMaterials,
                           ID3DXMesh** ppMesh) {
  if (ppAdjacency) *ppAdjacency = nullptr;
  if (ppMaterials) *ppMaterials = nullptr;
  if (ppEffectInstances) *ppEffectInstances = nullptr;
  if (pNumMaterials) *pNumMaterials = 0;
  if (!ppMesh) return D3DERR_INVALIDCALL;
  *ppMesh = nullptr;
  if (!pFilename || !pDevice) return D3DERR_INVALIDCALL;

  d3dx::ForgetLoadFailure();
  d3dx::MeshData data;
  std::string error;
  HRESULT hr = d3dx::ImportXFile(vexil::sys::LookUpFile(pFilename).path, &data, &error);
  if (FAILED(hr)) {
    d3dx::ReportLoadFailure("mesh", pFilename, error);
    return hr;
  }
  if (data.numVertices > 0x10000) options |= D3DXMESH_32BIT;

  Mesh* mesh = nullptr;
  hr = Mesh::Create(pDevice, static_cast<DWORD>(data.attributes.size()), data.numVertices, options,
                    data.fvf, &mesh);
  if (SUCCEEDED(hr)) hr = FillMesh(mesh, data);

  ID3DXBuffer* adjacency = nullptr;
  ID3DXBuffer* materials = nullptr;
  ID3DXBuffer* effects = nullptr;
  if (SUCCEEDED(hr) && ppAdjacency) hr = MakeDwordBuffer(d3dx::ComputeAdjacency(data), &adjacency);
  if (SUCCEEDED(hr) && ppMaterials) hr = MakeMaterialBuffer(data.materials, &materials);
  if (SUCCEEDED(hr) && ppEffectInstances)
    hr = D3DXCreateBuffer(static_cast<DWORD>(data.materials.size() * sizeof(D3DXEFFECTINSTANCE)),
                          &effects);
  if (FAILED(hr)) {
    for (IUnknown* p : {static_cast<IUnknown*>(mesh), static_cast<IUnknown*>(adjacency),
                        static_cast<IUnknown*>(materials), static_cast<IUnknown*>(effects)})
      if (p) p->Release();
    return hr;
  }
  if (ppAdjacency) *ppAdjacency = adjacency;
  if (ppMaterials) *ppMaterials = materials;
  if (ppEffectInstances) *ppEffectInstances = effects;
  if (pNumMaterials) *pNumMaterials = static_cast<DWORD>(data.materials.size());
  *ppMesh = mesh;
  return D3D_OK;
}

// The byte buffer behind ID3DXBuffer, reference-counted like every D3DX object.
#include <new>
#include <vector>

#include "d3dx9/d3dx9buffer.h"
#include "d3dx9/d3dx9err.h"

namespace {

class Buffer final : public ID3DXBuffer {
 public:
  explicit Buffer(DWORD size) : bytes_(size, 0) {}

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  LPVOID GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
  DWORD GetBufferSize() override { return static_cast<DWORD>(bytes_.size()); }

 private:
  ~Buffer() override = default;
  std::vector<unsigned char> bytes_;
  ULONG refs_ = 1;
};

}  // namespace

HRESULT D3DXCreateBuffer(DWORD numBytes, ID3DXBuffer** ppBuffer) {
  if (!ppBuffer) return E_INVALIDARG;
  *ppBuffer = nullptr;
  try {
    *ppBuffer = new Buffer(numBytes);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

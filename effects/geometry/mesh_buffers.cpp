// Static mesh buffers with the effect library's failure messages.
#include "mesh_buffers.h"

#include <cstring>

#include "d3d9/com_ptr.h"
#include "effect_messages.h"
#include "system/message_box.h"

namespace effects {

namespace {

template <typename Buffer>
bool Fill(Buffer* buffer, const void* bytes, UINT size) {
  void* data = nullptr;
  if (FAILED(buffer->Lock(0, size, &data, 0)) || !data) return false;
  std::memcpy(data, bytes, size);
  buffer->Unlock();
  return true;
}

}  // namespace

bool CreateFilledMeshBuffers(IDirect3DDevice9* device, DWORD fvf, const void* vertices,
                             UINT vertexBytes, const void* indices, UINT indexBytes,
                             IDirect3DVertexBuffer9** vertexBuffer,
                             IDirect3DIndexBuffer9** indexBuffer) {
  *vertexBuffer = nullptr;
  *indexBuffer = nullptr;
  // Both go to the caller only when both are made and filled.
  vexil::Com<IDirect3DVertexBuffer9> madeVertices;
  vexil::Com<IDirect3DIndexBuffer9> madeIndices;
  auto fail = [](const char* message) {
    ShowEffectMessage(message, kCaptionVexil, MB_OK);
    return false;
  };
  if (FAILED(device->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED,
                                        madeVertices.put(), nullptr))) {
    return fail(kMsgVertexBufferFailed);
  }
  if (!Fill(madeVertices.get(), vertices, vertexBytes)) return fail(kMsgLockFailed);
  if (FAILED(device->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                       D3DPOOL_MANAGED, madeIndices.put(), nullptr))) {
    return fail(kMsgIndexBufferFailed);
  }
  if (!Fill(madeIndices.get(), indices, indexBytes)) return fail(kMsgLockFailed);
  *vertexBuffer = madeVertices.detach();
  *indexBuffer = madeIndices.detach();
  return true;
}

}  // namespace effects

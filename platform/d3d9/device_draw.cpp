// The shared device's vertex input and draw calls: stream, indices and FVF bindings, and
// the validation that keeps every draw inside its buffers before the backend sees it.
#include "d3d9/device.h"
#include "d3d9/device_binding.h"

namespace vexil::d3d9 {

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
  // The backend compares the stream with what it last specified: the program does not
  // depend on it, so no dirty bit.
  Rebind(stream_, vb);
  streamOffset_ = offsetInBytes;
  streamStride_ = stride;
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

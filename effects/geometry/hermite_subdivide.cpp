// Hermite subdivision with strided input and output.
#include "hermite_subdivide.h"

namespace effects {

namespace {

D3DXVECTOR3 TangentAt(const D3DXVECTOR3* in, size_t stride, int count, int k,
                      const D3DXVECTOR3& start, const D3DXVECTOR3& end) {
  if (k == 0) return start;
  if (k == count - 1) return end;
  const D3DXVECTOR3& prev = in[(k - 1) * stride];
  const D3DXVECTOR3& cur = in[k * stride];
  const D3DXVECTOR3& next = in[(k + 1) * stride];
  return (next - cur) * 0.5f + (cur - prev) * 0.5f;
}

}  // namespace

void HermiteSubdivide(const D3DXVECTOR3* in, size_t inStride, int count, int perSegment,
                      const D3DXVECTOR3& startTangent, const D3DXVECTOR3& endTangent,
                      D3DXVECTOR3* out, size_t outStride) {
  if (count < 2 || perSegment < 1) return;
  D3DXVECTOR3 tangent = TangentAt(in, inStride, count, 0, startTangent, endTangent);
  for (int k = 0; k + 1 < count; ++k) {
    // Read both ends before writing: the output may overwrite the input in place, and only
    // ever at or before the point being read.
    const D3DXVECTOR3 from = in[k * inStride];
    const D3DXVECTOR3 to = in[(k + 1) * inStride];
    const D3DXVECTOR3 nextTangent = TangentAt(in, inStride, count, k + 1, startTangent, endTangent);
    for (int i = 0; i < perSegment; ++i) {
      const float s = static_cast<float>(i) / static_cast<float>(perSegment);
      D3DXVec3Hermite(&out[(static_cast<size_t>(k) * perSegment + i) * outStride], &from, &tangent,
                      &to, &nextTangent, s);
    }
    tangent = nextTangent;
  }
}

}  // namespace effects

// Flexible vertex format decoding in D3D9's field order: position, blend weights, normal,
// point size, diffuse, specular, texture coordinate sets.
#include "d3d9/vertex_layout.h"

namespace vexil::d3d9 {

bool DecodeFvf(DWORD fvf, VertexLayout* out) {
  VertexLayout l;
  UINT offset = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ:
      l.positionSize = 3;
      break;
    case D3DFVF_XYZRHW:
      l.positionSize = 4;
      l.pretransformed = true;
      break;
    case D3DFVF_XYZW:
      l.positionSize = 4;
      break;
    default:
      return false;  // no position, or blend weights
  }
  offset += l.positionSize * 4;
  if (fvf & D3DFVF_NORMAL) {
    l.normalOffset = static_cast<int>(offset);
    offset += 12;
  }
  if (fvf & D3DFVF_PSIZE) {
    l.pointSizeOffset = static_cast<int>(offset);
    offset += 4;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    l.diffuseOffset = static_cast<int>(offset);
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    l.specularOffset = static_cast<int>(offset);
    offset += 4;
  }
  l.texCoordCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (l.texCoordCount > 8) return false;
  static const int kSizeOfFormat[4] = {2, 3, 4, 1};
  for (UINT i = 0; i < l.texCoordCount; ++i) {
    l.texCoordOffset[i] = static_cast<int>(offset);
    l.texCoordSize[i] = kSizeOfFormat[(fvf >> (i * 2 + 16)) & 3];
    offset += l.texCoordSize[i] * 4;
  }
  l.stride = offset;
  *out = l;
  return true;
}

UINT VerticesForPrimitives(D3DPRIMITIVETYPE type, UINT n) {
  if (n == 0) return 0;
  switch (type) {
    case D3DPT_POINTLIST:
      return n;
    case D3DPT_LINELIST:
      return n * 2;
    case D3DPT_LINESTRIP:
      return n + 1;
    case D3DPT_TRIANGLELIST:
      return n * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return n + 2;
  }
  return 0;
}

}  // namespace vexil::d3d9

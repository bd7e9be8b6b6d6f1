// Format table and row conversions. Conversions run once per texture upload, never per draw.
#include "d3d9/formats.h"

#include <cstring>

namespace vexil::d3d9 {

UINT ColorBytesPerPixel(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
      return 4;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
      return 2;
    case D3DFMT_A8:
    case D3DFMT_L8:
      return 1;
    default:
      return 0;
  }
}

bool IsDepthFormat(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D16:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
      return true;
    default:
      return false;
  }
}

bool IsRenderTargetFormat(D3DFORMAT f) {
  return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8;
}

bool HasAlpha(D3DFORMAT f) {
  switch (f) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8:
    case D3DFMT_A8L8:
      return true;
    default:
      return false;
  }
}

namespace {

inline uint8_t Expand(uint32_t v, int bits) {
  const uint32_t max = (1u << bits) - 1;
  return static_cast<uint8_t>((v * 255 + max / 2) / max);
}

}  // namespace

void RowToBgra8(D3DFORMAT f, const uint8_t* src, uint8_t* dst, UINT width) {
  switch (f) {
    case D3DFMT_A8R8G8B8:
      std::memcpy(dst, src, width * 4);
      return;
    case D3DFMT_X8R8G8B8:
      for (UINT x = 0; x < width; ++x) {
        std::memcpy(dst + x * 4, src + x * 4, 3);
        dst[x * 4 + 3] = 255;
      }
      return;
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
      for (UINT x = 0; x < width; ++x) {
        dst[x * 4 + 0] = src[x * 4 + 2];
        dst[x * 4 + 1] = src[x * 4 + 1];
        dst[x * 4 + 2] = src[x * 4 + 0];
        dst[x * 4 + 3] = f == D3DFMT_A8B8G8R8 ? src[x * 4 + 3] : 255;
      }
      return;
    default:
      break;
  }
  for (UINT x = 0; x < width; ++x) {
    uint8_t* d = dst + x * 4;
    uint32_t v = 0;
    if (ColorBytesPerPixel(f) == 2) {
      v = static_cast<uint32_t>(src[x * 2]) | (static_cast<uint32_t>(src[x * 2 + 1]) << 8);
    } else {
      v = src[x];
    }
    switch (f) {
      case D3DFMT_R5G6B5:
        d[2] = Expand(v >> 11, 5), d[1] = Expand((v >> 5) & 63, 6), d[0] = Expand(v & 31, 5);
        d[3] = 255;
        break;
      case D3DFMT_X1R5G5B5:
      case D3DFMT_A1R5G5B5:
        d[2] = Expand((v >> 10) & 31, 5), d[1] = Expand((v >> 5) & 31, 5);
        d[0] = Expand(v & 31, 5);
        d[3] = (f == D3DFMT_X1R5G5B5 || (v & 0x8000)) ? 255 : 0;
        break;
      case D3DFMT_A4R4G4B4:
      case D3DFMT_X4R4G4B4:
        d[2] = Expand((v >> 8) & 15, 4), d[1] = Expand((v >> 4) & 15, 4);
        d[0] = Expand(v & 15, 4);
        d[3] = f == D3DFMT_A4R4G4B4 ? Expand(v >> 12, 4) : 255;
        break;
      case D3DFMT_A8L8:
        d[0] = d[1] = d[2] = static_cast<uint8_t>(v & 0xff);
        d[3] = static_cast<uint8_t>(v >> 8);
        break;
      case D3DFMT_L8:
        d[0] = d[1] = d[2] = static_cast<uint8_t>(v);
        d[3] = 255;
        break;
      case D3DFMT_A8:
        // D3D9 samples A8 as black with alpha.
        d[0] = d[1] = d[2] = 0;
        d[3] = static_cast<uint8_t>(v);
        break;
      default:
        d[0] = d[1] = d[2] = 0;
        d[3] = 255;
        break;
    }
  }
}

}  // namespace vexil::d3d9

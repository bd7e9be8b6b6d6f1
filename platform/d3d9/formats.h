// Pixel formats the device accepts for textures and surfaces: their sizes, and conversion of
// a row into 32-bit B, G, R, A bytes (the memory order of D3DFMT_A8R8G8B8) for upload.
#pragma once

#include <cstdint>

#include "d3d9/d3d9types.h"

namespace vexil::d3d9 {

// Bytes per pixel, or 0 for formats textures cannot use.
UINT ColorBytesPerPixel(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);
bool IsRenderTargetFormat(D3DFORMAT format);
// Formats without alpha read back as opaque.
bool HasAlpha(D3DFORMAT format);

// Expands one row of `width` pixels of `format` into BGRA bytes; formats without alpha get 255.
void RowToBgra8(D3DFORMAT format, const uint8_t* src, uint8_t* dst, UINT width);

}  // namespace vexil::d3d9

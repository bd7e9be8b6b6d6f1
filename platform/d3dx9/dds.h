// DirectDraw Surface (.dds) decoding for the texture loader: the top level of DXT1/3/5
// compressed and of uncompressed RGB, luminance and alpha surfaces, as A8R8G8B8 pixels.
#pragma once

#include <cstddef>
#include <string>

#include "d3dx9/image.h"

namespace d3dx {

bool IsDds(const unsigned char* data, size_t size);

// S_OK or D3DXERR_INVALIDDATA (truncated, unsupported layout); `info` describes the file.
HRESULT DecodeDds(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error);

}  // namespace d3dx

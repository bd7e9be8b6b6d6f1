// The texture loader's decoders by format, each refusing pictures past the texture limits
// before it allocates pixels. DecodeImageMemory (image.h) picks one by the file's signature.
#pragma once

#include <cstddef>
#include <string>

#include "d3dx9/image.h"

namespace d3dx {

bool IsPng(const unsigned char* data, size_t size);
bool IsJpeg(const unsigned char* data, size_t size);
bool IsPnm(const unsigned char* data, size_t size);  // binary PGM and PPM

// S_OK, D3DXERR_INVALIDDATA (broken or too large, `error` says why) or E_OUTOFMEMORY.
HRESULT DecodePng(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error);
HRESULT DecodeJpeg(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                   std::string* error);
HRESULT DecodePnm(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error);
// BMP, TGA, GIF, PSD and HDR through the single-header decoder, behind a size check made
// on the header and on how much data the file holds.
HRESULT DecodeOtherFormat(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                          std::string* error);

}  // namespace d3dx

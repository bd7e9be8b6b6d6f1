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
bool IsHdr(const unsigned char* data, size_t size);  // Radiance RGBE
bool IsGif(const unsigned char* data, size_t size);
bool IsSoftimagePic(const unsigned char* data, size_t size);

// Empty when the LZW data of a GIF's first picture decodes to no more pixels than the picture
// holds, else why not. The single-header decoder keeps decoding codes past the last pixel, and
// each code may cost it thousands of steps; bounded this way its work is at most a few steps
// per pixel and per byte.
std::string CheckGifData(const unsigned char* data, size_t size);

// S_OK, D3DXERR_INVALIDDATA (broken or too large, `error` says why) or E_OUTOFMEMORY.
HRESULT DecodePng(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error);
HRESULT DecodeJpeg(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                   std::string* error);
HRESULT DecodePnm(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error);
HRESULT DecodeHdr(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error);
// BMP, TGA, GIF and PSD through the single-header decoder in a child process
// (isolated_decode.h), behind a size check made on the header and on how much data the file
// holds, and for GIF a walk of its LZW codes.
HRESULT DecodeOtherFormat(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                          std::string* error);

}  // namespace d3dx

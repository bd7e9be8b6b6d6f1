// CPU side of texture loading: decoding image files to A8R8G8B8 pixels, colour keying,
// resampling and box-filtered mip levels. No device involved, so it is tested directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx9/d3dx9tex.h"

namespace d3dx {

// Top-down rows of A8R8G8B8 values (alpha in bits 24-31, blue in 0-7).
struct Image {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint32_t> argb;

  uint32_t At(UINT x, UINT y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

// PNG, JPEG, BMP, TGA, GIF, PSD, HDR, PNM and DDS.
// S_OK, D3DERR_NOTAVAILABLE (cannot read) or D3DXERR_INVALIDDATA (cannot decode); `error`
// receives a readable reason on failure. `info` (optional) describes the file.
HRESULT DecodeImageFile(const std::string& path, Image* out, D3DXIMAGE_INFO* info,
                        std::string* error);
HRESULT DecodeImageMemory(const void* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                          std::string* error);

// Whether a file's pixel format carries alpha (so its texture needs an alpha channel).
bool FormatHasAlpha(D3DFORMAT format);

// Pixels equal to `key` (compared as full A8R8G8B8 values) become 0x00000000.
void ApplyColorKey(Image* image, D3DCOLOR key);

// Smallest power of two at or above n (n >= 1).
UINT RoundUpPow2(UINT n);

// Levels in a full chain down to 1 x 1.
UINT FullMipCount(UINT width, UINT height);

// Resamples to width x height with a D3DX_FILTER_* type: NONE copies the top-left corner
// (transparent black outside the source), POINT picks the nearest pixel, LINEAR,
// TRIANGLE and BOX filter properly.
Image Resample(const Image& src, UINT width, UINT height, DWORD filter);

// The next mip level: each dimension halved (not below 1), 2 x 2 box average.
Image HalveBox(const Image& src);

}  // namespace d3dx

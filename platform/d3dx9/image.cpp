// Image decoding (stb_image), colour keying, resampling (stb_image_resize) and mip levels.
#include "d3dx9/image.h"

#include "d3dx9/dds.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// The stb implementations are third-party code compiled here once; their own warnings
// are not ours to fix.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
#pragma GCC diagnostic pop

namespace d3dx {
namespace {

D3DXIMAGE_FILEFORMAT SniffFormat(const unsigned char* d, size_t n) {
  if (n >= 8 && std::memcmp(d, "\x89PNG", 4) == 0) return D3DXIFF_PNG;
  if (n >= 3 && d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF) return D3DXIFF_JPG;
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return D3DXIFF_BMP;
  if (n >= 4 && std::memcmp(d, "DDS ", 4) == 0) return D3DXIFF_DDS;
  if (n >= 2 && d[0] == 'P' && (d[1] == '5' || d[1] == '6')) return D3DXIFF_PPM;
  if (n >= 2 && d[0] == '#' && d[1] == '?') return D3DXIFF_HDR;
  if (n >= 2 && d[0] == 'P' && (d[1] == 'f' || d[1] == 'F')) return D3DXIFF_PFM;
  return D3DXIFF_TGA;  // TGA has no signature; stb tells whether it really is one
}

D3DFORMAT FileFormat(int channels) {
  switch (channels) {
    case 1:
      return D3DFMT_L8;
    case 2:
      return D3DFMT_A8L8;
    case 3:
      return D3DFMT_X8R8G8B8;
    default:
      return D3DFMT_A8R8G8B8;
  }
}

}  // namespace

HRESULT DecodeImageMemory(const void* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                          std::string* error) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  if (!data || size == 0 || size > 0x7fffffff) {
    if (error) *error = "empty or oversized image data";
    return D3DXERR_INVALIDDATA;
  }
  if (IsDds(bytes, size)) return DecodeDds(bytes, size, out, info, error);
  int w = 0, h = 0, channels = 0;
  stbi_uc* rgba = stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4);
  if (!rgba) {
    if (error) *error = stbi_failure_reason() ? stbi_failure_reason() : "unknown image format";
    return D3DXERR_INVALIDDATA;
  }
  out->width = static_cast<UINT>(w);
  out->height = static_cast<UINT>(h);
  out->argb.resize(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < out->argb.size(); ++i) {
    const stbi_uc* p = rgba + i * 4;
    out->argb[i] = (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
  }
  stbi_image_free(rgba);
  if (info) {
    info->Width = out->width;
    info->Height = out->height;
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format = FileFormat(channels);
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = SniffFormat(bytes, size);
  }
  return S_OK;
}

HRESULT DecodeImageFile(const std::string& path, Image* out, D3DXIMAGE_INFO* info,
                        std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = "cannot open file";
    return D3DERR_NOTAVAILABLE;
  }
  std::vector<unsigned char> data;
  unsigned char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
    data.insert(data.end(), chunk, chunk + got);
  const bool readError = std::ferror(f) != 0;
  std::fclose(f);
  if (readError) {
    if (error) *error = "cannot read file";
    return D3DERR_NOTAVAILABLE;
  }
  return DecodeImageMemory(data.data(), data.size(), out, info, error);
}

bool FormatHasAlpha(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_A8L8:
    case D3DFMT_A8:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_DXT1:
    case D3DFMT_DXT3:
    case D3DFMT_DXT5:
      return true;
    default:
      return false;
  }
}

void ApplyColorKey(Image* image, D3DCOLOR key) {
  if (key == 0) return;
  for (uint32_t& p : image->argb)
    if (p == key) p = 0;
}

UINT RoundUpPow2(UINT n) {
  UINT p = 1;
  while (p < n && p < 0x80000000u) p <<= 1;
  return p;
}

UINT FullMipCount(UINT width, UINT height) {
  UINT levels = 1;
  UINT size = std::max(width, height);
  while (size > 1) {
    size >>= 1;
    ++levels;
  }
  return levels;
}

Image Resample(const Image& src, UINT width, UINT height, DWORD filter) {
  Image dst;
  dst.width = width;
  dst.height = height;
  dst.argb.assign(static_cast<size_t>(width) * height, 0);
  if (src.width == 0 || src.height == 0) return dst;
  if (width == src.width && height == src.height) return src;

  switch (filter & 0xff) {
    case D3DX_FILTER_NONE:
      for (UINT y = 0; y < std::min(height, src.height); ++y)
        std::copy_n(&src.argb[static_cast<size_t>(y) * src.width], std::min(width, src.width),
                    &dst.argb[static_cast<size_t>(y) * width]);
      return dst;
    case D3DX_FILTER_POINT:
      for (UINT y = 0; y < height; ++y) {
        const UINT sy =
            static_cast<UINT>((uint64_t(y) * 2 + 1) * src.height / (uint64_t(height) * 2));
        for (UINT x = 0; x < width; ++x) {
          const UINT sx =
              static_cast<UINT>((uint64_t(x) * 2 + 1) * src.width / (uint64_t(width) * 2));
          dst.argb[static_cast<size_t>(y) * width + x] = src.At(sx, sy);
        }
      }
      return dst;
    default: {
      // Bytes of an A8R8G8B8 value in memory are B, G, R, A: alpha is channel 3.
      const stbir_filter f =
          (filter & 0xff) == D3DX_FILTER_BOX ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE;
      stbir_resize_uint8_generic(
          reinterpret_cast<const unsigned char*>(src.argb.data()), static_cast<int>(src.width),
          static_cast<int>(src.height), static_cast<int>(src.width * 4),
          reinterpret_cast<unsigned char*>(dst.argb.data()), static_cast<int>(width),
          static_cast<int>(height), static_cast<int>(width * 4), 4, STBIR_ALPHA_CHANNEL_NONE, 0,
          STBIR_EDGE_CLAMP, f, STBIR_COLORSPACE_LINEAR, nullptr);
      return dst;
    }
  }
}

Image HalveBox(const Image& src) {
  Image dst;
  dst.width = std::max(1u, src.width / 2);
  dst.height = std::max(1u, src.height / 2);
  dst.argb.resize(static_cast<size_t>(dst.width) * dst.height);
  for (UINT y = 0; y < dst.height; ++y) {
    const UINT y0 = std::min(y * 2, src.height - 1), y1 = std::min(y * 2 + 1, src.height - 1);
    for (UINT x = 0; x < dst.width; ++x) {
      const UINT x0 = std::min(x * 2, src.width - 1), x1 = std::min(x * 2 + 1, src.width - 1);
      const uint32_t p[4] = {src.At(x0, y0), src.At(x1, y0), src.At(x0, y1), src.At(x1, y1)};
      uint32_t result = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 2;  // rounds to nearest
        for (uint32_t v : p) sum += (v >> shift) & 0xff;
        result |= (sum / 4) << shift;
      }
      dst.argb[static_cast<size_t>(y) * dst.width + x] = result;
    }
  }
  return dst;
}

}  // namespace d3dx

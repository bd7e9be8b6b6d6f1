// Image decoding (libpng, libjpeg-turbo, our own HDR and PNM readers, stb_image in a child
// process for BMP, TGA, GIF and PSD), colour keying, resampling (stb_image_resize) and mip levels.
#include "d3dx9/image.h"

#include "d3dx9/dds.h"
#include "d3dx9/file_read.h"
#include "d3dx9/image_codecs.h"
#include "d3dx9/isolated_decode.h"
#include "d3dx9/media_limits.h"

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
// PNG and JPEG go to libpng and libjpeg-turbo; the single-header decoder keeps the rest.
#define STBI_NO_PNG
#define STBI_NO_JPEG
#define STBI_NO_PNM  // its 16-bit samples come out in the wrong byte order
#define STBI_NO_HDR  // its scan-line loop never ends on a run of length 0: hdr_codec.cpp reads HDR
#define STBI_NO_PIC  // no demo uses Softimage pictures; they are refused with a message
// Static: programs linking this library keep their own, complete copy of the decoder.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_FAILURE_USERMSG
// The PSD reader's white-matte removal turns a hostile alpha into a colour outside 0..255 and
// converts that float to a byte: the pixel's value is then meaningless, but nothing else is
// touched. It is the decoder's arithmetic, not ours to fix, so clang's float-cast check (part of
// its sanitizer builds) is off inside the decoder alone.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((no_sanitize("float-cast-overflow"))), \
                             apply_to = function)
#endif
#include <stb_image.h>
#if defined(__clang__)
#pragma clang attribute pop
#endif
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include <stb_image_resize.h>
#pragma GCC diagnostic pop

namespace d3dx {
namespace {

D3DXIMAGE_FILEFORMAT SniffFormat(const unsigned char* d, size_t n) {
  if (n >= 2 && d[0] == 'B' && d[1] == 'M') return D3DXIFF_BMP;
  if (n >= 2 && d[0] == '#' && d[1] == '?') return D3DXIFF_HDR;
  if (n >= 2 && d[0] == 'P' && (d[1] == 'f' || d[1] == 'F')) return D3DXIFF_PFM;
  return D3DXIFF_TGA;  // TGA has no signature; the decoder tells whether it really is one
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

uint32_t Le16(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
}
uint32_t Le32(const unsigned char* p) {
  return Le16(p) | (Le16(p + 2) << 16);
}

// The fewest bytes a file of this kind needs to hold width x height pixels: exact for
// uncompressed layouts, a bound from the best possible compression otherwise. A file below it
// is truncated or lies about its size; refusing it early keeps a few bytes from allocating
// hundreds of megabytes.
uint64_t MinimumBytes(const unsigned char* d, size_t n, uint64_t width, uint64_t height) {
  const uint64_t pixels = width * height;
  // Formats the file-format enumeration has no name for, and that would read as TGA below.
  if (n >= 4 && std::memcmp(d, "GIF8", 4) == 0) return pixels / 4096;  // LZW's best case
  if (n >= 4 && std::memcmp(d, "8BPS", 4) == 0) return pixels / 1024;  // PSD run-length
  switch (SniffFormat(d, n)) {
    case D3DXIFF_BMP: {
      if (n < 34) return 34;  // not even the fields read here
      const uint64_t bits = std::max<uint64_t>(Le16(d + 28), 1), compression = Le32(d + 30);
      // The decoder refuses run-length BMPs and reads every other kind as plain rows.
      if (compression == 1 || compression == 2) return 0;
      return Le32(d + 10) + height * ((width * bits + 31) / 32 * 4);
    }
    case D3DXIFF_TGA: {
      if (n < 18) return 18;  // not even a whole header
      const uint64_t bytesPerPixel = (d[16] + 7u) / 8u;
      const uint64_t header = 18u + d[0] + (d[1] ? Le16(d + 5) * ((d[7] + 7u) / 8u) : 0);
      if (d[2] >= 9 && d[2] <= 11)  // run-length: one packet covers at most 128 pixels
        return header + (pixels + 127) / 128 * (1 + bytesPerPixel);
      return header + pixels * bytesPerPixel;
    }
    default:
      break;
  }
  return pixels / 1024;
}

}  // namespace

bool IsSoftimagePic(const unsigned char* data, size_t size) {
  return size >= 92 && std::memcmp(data, "\x53\x80\xF6\x34", 4) == 0 &&
         std::memcmp(data + 88, "PICT", 4) == 0;
}

HRESULT DecodeOtherFormat(const unsigned char* bytes, size_t size, Image* out, D3DXIMAGE_INFO* info,
                          std::string* error) {
  const int length = static_cast<int>(size);
  int w = 0, h = 0, channels = 0;
  // The header alone first: nothing is allocated for a size past the limits.
  if (!stbi_info_from_memory(bytes, length, &w, &h, &channels)) {
    if (error)
      *error = "not a picture in a known format (PNG, JPEG, BMP, TGA, DDS, GIF, PSD, HDR, PNM)";
    return D3DXERR_INVALIDDATA;
  }
  std::string reason = CheckTextureSize(static_cast<uint32_t>(w), static_cast<uint32_t>(h));
  if (reason.empty() &&
      size < MinimumBytes(bytes, size, static_cast<uint64_t>(w), static_cast<uint64_t>(h))) {
    reason = "the file is too short for the " + std::to_string(w) + " x " + std::to_string(h) +
             " pixels its header claims";
  }
  if (reason.empty() && IsGif(bytes, size)) reason = CheckGifData(bytes, size);
  if (!reason.empty()) {
    if (error) *error = reason;
    return D3DXERR_INVALIDDATA;
  }
  // The decoder runs in a child process (isolated_decode.h): it gets the time budget and its
  // memory limit, and the pixels come back as A8R8G8B8 behind a small header.
  struct Header {
    uint32_t width, height, channels, unused;
  };
  const size_t pixelCount = static_cast<size_t>(w) * static_cast<size_t>(h);
  const size_t capacity = sizeof(Header) + pixelCount * 4;
  IsolatedDecode decode;
  const auto work = [&](uint8_t* output, size_t room, std::string* why) {
    int width = 0, height = 0, comp = 0;
    // Decoded in the file's own channel count and widened here, past the decoder's own
    // channel conversion.
    stbi_uc* pixels = stbi_load_from_memory(bytes, length, &width, &height, &comp, 0);
    if (!pixels) {
      *why = std::string("broken picture data: ") +
             (stbi_failure_reason() ? stbi_failure_reason() : "unknown reason");
      return false;
    }
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (sizeof(Header) + count * 4 > room || comp < 1 || comp > 4) {
      stbi_image_free(pixels);
      *why = "the picture's data does not match its header";
      return false;
    }
    const Header header{static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                        static_cast<uint32_t>(comp), 0};
    std::memcpy(output, &header, sizeof header);
    for (size_t i = 0; i < count; ++i) {
      const stbi_uc* p = pixels + i * static_cast<size_t>(comp);
      uint32_t r, g, b, a = 255;
      if (comp <= 2) {
        r = g = b = p[0];
        if (comp == 2) a = p[1];
      } else {
        r = p[0], g = p[1], b = p[2];
        if (comp == 4) a = p[3];
      }
      const uint32_t argb = (a << 24) | (r << 16) | (g << 8) | b;
      std::memcpy(output + sizeof(Header) + i * 4, &argb, 4);
    }
    stbi_image_free(pixels);
    return true;
  };
  std::string why;
  if (!decode.Run(capacity, work, &why)) {
    if (error) *error = why;
    return D3DXERR_INVALIDDATA;
  }
  Header header;
  std::memcpy(&header, decode.output(), sizeof header);
  channels = static_cast<int>(header.channels);
  out->width = header.width;
  out->height = header.height;
  out->argb.resize(static_cast<size_t>(header.width) * header.height);
  std::memcpy(out->argb.data(), decode.output() + sizeof(Header), out->argb.size() * 4);
  if (info) {
    *info = D3DXIMAGE_INFO{};
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

HRESULT DecodeImageMemory(const void* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                          std::string* error) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  *out = Image();
  if (!data || size == 0) {
    if (error) *error = "the file is empty";
    return D3DXERR_INVALIDDATA;
  }
  if (size > kMaxImageFileBytes) {
    if (error)
      *error = "file of " + std::to_string(size) + " bytes is larger than the limit of " +
               std::to_string(kMaxImageFileBytes) + " bytes";
    return D3DXERR_INVALIDDATA;
  }
  if (IsDds(bytes, size)) return DecodeDds(bytes, size, out, info, error);
  if (IsPng(bytes, size)) return DecodePng(bytes, size, out, info, error);
  if (IsJpeg(bytes, size)) return DecodeJpeg(bytes, size, out, info, error);
  if (IsPnm(bytes, size)) return DecodePnm(bytes, size, out, info, error);
  if (IsHdr(bytes, size)) return DecodeHdr(bytes, size, out, info, error);
  if (IsSoftimagePic(bytes, size)) {
    if (error) *error = "Softimage PIC pictures are not supported; convert it to PNG";
    return D3DXERR_INVALIDDATA;
  }
  return DecodeOtherFormat(bytes, size, out, info, error);
}

HRESULT DecodeImageFile(const std::string& path, Image* out, D3DXIMAGE_INFO* info,
                        std::string* error) {
  std::vector<unsigned char> data;
  switch (ReadRegularFile(path, kMaxImageFileBytes, &data, error)) {
    case FileReadResult::kNotFound:
      return D3DERR_NOTAVAILABLE;
    case FileReadResult::kRefused:
      return D3DXERR_INVALIDDATA;
    case FileReadResult::kOk:
      break;
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

namespace {

// The rounded mean of four A8R8G8B8 pixels, channel by channel: two channels at a time in
// 16-bit lanes (four bytes and the rounding add up to at most 1022, so no lane overflows).
uint32_t MeanOfFour(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  constexpr uint32_t kLanes = 0x00ff00ffu;
  const uint32_t redBlue = (a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + 0x00020002u;
  const uint32_t alphaGreen = ((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) +
                              ((d >> 8) & kLanes) + 0x00020002u;
  return ((redBlue >> 2) & kLanes) | (((alphaGreen >> 2) & kLanes) << 8);
}

}  // namespace

Image HalveBox(const Image& src) {
  Image dst;
  dst.width = std::max(1u, src.width / 2);
  dst.height = std::max(1u, src.height / 2);
  dst.argb.resize(static_cast<size_t>(dst.width) * dst.height);
  for (UINT y = 0; y < dst.height; ++y) {
    const UINT y0 = std::min(y * 2, src.height - 1), y1 = std::min(y * 2 + 1, src.height - 1);
    const uint32_t* row0 = &src.argb[static_cast<size_t>(y0) * src.width];
    const uint32_t* row1 = &src.argb[static_cast<size_t>(y1) * src.width];
    uint32_t* out = &dst.argb[static_cast<size_t>(y) * dst.width];
    for (UINT x = 0; x < dst.width; ++x) {
      const UINT x0 = std::min(x * 2, src.width - 1), x1 = std::min(x * 2 + 1, src.width - 1);
      out[x] = MeanOfFour(row0[x0], row0[x1], row1[x0], row1[x1]);
    }
  }
  return dst;
}

}  // namespace d3dx

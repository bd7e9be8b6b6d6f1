// .dds decoding: header parsing, DXT1/3/5 block decompression and bit-mask pixel formats.
// Only the first surface (top mip level, first cube face) is read; the loader rebuilds mips.
#include "d3dx9/dds.h"

#include "d3dx9/media_limits.h"

#include <cstdint>
#include <cstring>

namespace d3dx {
namespace {

constexpr size_t kHeaderEnd = 128;  // "DDS " plus the 124-byte header
constexpr uint32_t kFlagPitch = 0x8;
constexpr uint32_t kPixelAlphaPixels = 0x1;
constexpr uint32_t kPixelAlpha = 0x2;
constexpr uint32_t kPixelFourCC = 0x4;
constexpr uint32_t kPixelLuminance = 0x20000;

uint32_t Le32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
uint16_t Le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
         (uint32_t(uint8_t(d)) << 24);
}

struct Rgb {
  uint32_t r, g, b;
};

Rgb Expand565(uint16_t c) {
  const uint32_t r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
  return {(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
}

uint32_t Pack(uint32_t a, const Rgb& c) {
  return (a << 24) | (c.r << 16) | (c.g << 8) | c.b;
}

// The four colours of a DXT colour block; with `allowTransparent` (DXT1) a block whose
// first colour is not above the second has three colours and transparent black.
void DecodeColorBlock(const unsigned char* block, bool allowTransparent, uint32_t out[16]) {
  const uint16_t c0 = Le16(block), c1 = Le16(block + 2);
  const Rgb p0 = Expand565(c0), p1 = Expand565(c1);
  uint32_t palette[4];
  palette[0] = Pack(255, p0);
  palette[1] = Pack(255, p1);
  if (c0 > c1 || !allowTransparent) {
    palette[2] = Pack(255, {(2 * p0.r + p1.r) / 3, (2 * p0.g + p1.g) / 3, (2 * p0.b + p1.b) / 3});
    palette[3] = Pack(255, {(p0.r + 2 * p1.r) / 3, (p0.g + 2 * p1.g) / 3, (p0.b + 2 * p1.b) / 3});
  } else {
    palette[2] = Pack(255, {(p0.r + p1.r) / 2, (p0.g + p1.g) / 2, (p0.b + p1.b) / 2});
    palette[3] = 0;
  }
  const uint32_t indices = Le32(block + 4);
  for (int i = 0; i < 16; ++i) out[i] = palette[(indices >> (2 * i)) & 3];
}

void DecodeAlphaExplicit(const unsigned char* block, uint32_t px[16]) {
  for (int i = 0; i < 16; ++i) {
    const uint32_t nibble = (block[i / 2] >> ((i & 1) * 4)) & 0xF;
    px[i] = (px[i] & 0x00FFFFFFu) | ((nibble * 17) << 24);
  }
}

void DecodeAlphaInterpolated(const unsigned char* block, uint32_t px[16]) {
  const uint32_t a0 = block[0], a1 = block[1];
  uint32_t palette[8] = {a0, a1};
  if (a0 > a1) {
    for (uint32_t i = 1; i < 7; ++i) palette[i + 1] = ((7 - i) * a0 + i * a1) / 7;
  } else {
    for (uint32_t i = 1; i < 5; ++i) palette[i + 1] = ((5 - i) * a0 + i * a1) / 5;
    palette[6] = 0;
    palette[7] = 255;
  }
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= uint64_t(block[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i)
    px[i] = (px[i] & 0x00FFFFFFu) | (palette[(bits >> (3 * i)) & 7] << 24);
}

// Scales a masked channel to 8 bits; `fallback` when the mask is empty.
uint32_t Channel(uint32_t value, uint32_t mask, uint32_t fallback) {
  if (mask == 0) return fallback;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const uint32_t max = mask >> shift;
  return static_cast<uint32_t>((uint64_t((value & mask) >> shift) * 255 + max / 2) / max);
}

D3DFORMAT MaskFormat(uint32_t flags, uint32_t bits, uint32_t r, uint32_t g, uint32_t b,
                     uint32_t a) {
  if (flags & kPixelLuminance) return a ? D3DFMT_A8L8 : D3DFMT_L8;
  if ((flags & kPixelAlpha) && !r) return D3DFMT_A8;
  if (bits == 32 && r == 0xFF0000 && g == 0xFF00 && b == 0xFF)
    return a ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  if (bits == 24) return D3DFMT_R8G8B8;
  if (bits == 16 && r == 0xF800) return D3DFMT_R5G6B5;
  if (bits == 16 && r == 0x7C00) return a ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
  if (bits == 16 && r == 0x0F00) return a ? D3DFMT_A4R4G4B4 : D3DFMT_X4R4G4B4;
  return a ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

// Only once the file is known to hold every pixel: a header alone allocates nothing.
void Allocate(Image* out, uint32_t width, uint32_t height) {
  out->width = width;
  out->height = height;
  out->argb.assign(static_cast<size_t>(width) * height, 0);
}

HRESULT Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return D3DXERR_INVALIDDATA;
}

}  // namespace

bool IsDds(const unsigned char* data, size_t size) {
  return size >= 4 && std::memcmp(data, "DDS ", 4) == 0;
}

HRESULT DecodeDds(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error) {
  if (!IsDds(data, size) || size < kHeaderEnd) return Fail(error, "truncated DDS header");
  if (Le32(data + 4) != 124 || Le32(data + 76) != 32) return Fail(error, "bad DDS header");
  const uint32_t flags = Le32(data + 8);
  const uint32_t height = Le32(data + 12), width = Le32(data + 16);
  const uint32_t pitch = Le32(data + 20), mips = Le32(data + 28);
  const uint32_t pixelFlags = Le32(data + 80), fourCC = Le32(data + 84);
  const uint32_t bitCount = Le32(data + 88);
  const uint32_t rMask = Le32(data + 92), gMask = Le32(data + 96), bMask = Le32(data + 100);
  const uint32_t aMask = (pixelFlags & (kPixelAlphaPixels | kPixelAlpha)) ? Le32(data + 104) : 0;
  const std::string tooLarge = CheckTextureSize(width, height);
  if (!tooLarge.empty()) return Fail(error, tooLarge.c_str());

  const unsigned char* pixels = data + kHeaderEnd;
  const size_t available = size - kHeaderEnd;
  D3DFORMAT format;

  if (pixelFlags & kPixelFourCC) {
    size_t blockBytes;
    if (fourCC == FourCC('D', 'X', 'T', '1')) {
      format = D3DFMT_DXT1, blockBytes = 8;
    } else if (fourCC == FourCC('D', 'X', 'T', '3') || fourCC == FourCC('D', 'X', 'T', '2')) {
      format = D3DFMT_DXT3, blockBytes = 16;
    } else if (fourCC == FourCC('D', 'X', 'T', '5') || fourCC == FourCC('D', 'X', 'T', '4')) {
      format = D3DFMT_DXT5, blockBytes = 16;
    } else {
      return Fail(error, "unsupported DDS compression");
    }
    const uint32_t bw = (width + 3) / 4, bh = (height + 3) / 4;
    if (available < static_cast<size_t>(bw) * bh * blockBytes)
      return Fail(error, "truncated DDS data");
    Allocate(out, width, height);
    for (uint32_t by = 0; by < bh; ++by) {
      for (uint32_t bx = 0; bx < bw; ++bx) {
        const unsigned char* block = pixels + (static_cast<size_t>(by) * bw + bx) * blockBytes;
        uint32_t px[16];
        if (format == D3DFMT_DXT1) {
          DecodeColorBlock(block, true, px);
        } else {
          DecodeColorBlock(block + 8, false, px);
          if (format == D3DFMT_DXT3)
            DecodeAlphaExplicit(block, px);
          else
            DecodeAlphaInterpolated(block, px);
        }
        for (uint32_t i = 0; i < 16; ++i) {
          const uint32_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
          if (x < width && y < height) out->argb[static_cast<size_t>(y) * width + x] = px[i];
        }
      }
    }
  } else {
    if (bitCount == 0 || bitCount > 32 || bitCount % 8 != 0)
      return Fail(error, "unsupported DDS pixel size");
    format = MaskFormat(pixelFlags, bitCount, rMask, gMask, bMask, aMask);
    const size_t bytes = bitCount / 8;
    size_t rowPitch = width * bytes;
    if ((flags & kFlagPitch) && pitch >= rowPitch) rowPitch = pitch;
    if (available < rowPitch * (height - 1) + width * bytes)
      return Fail(error, "truncated DDS data");
    Allocate(out, width, height);
    const bool luminance = (pixelFlags & kPixelLuminance) != 0;
    for (uint32_t y = 0; y < height; ++y) {
      const unsigned char* row = pixels + y * rowPitch;
      for (uint32_t x = 0; x < width; ++x) {
        uint32_t v = 0;
        for (size_t k = 0; k < bytes; ++k) v |= uint32_t(row[x * bytes + k]) << (8 * k);
        const uint32_t r = Channel(v, rMask, 0);
        const uint32_t g = luminance ? r : Channel(v, gMask, 0);
        const uint32_t b = luminance ? r : Channel(v, bMask, 0);
        const uint32_t a = Channel(v, aMask, 255);
        out->argb[static_cast<size_t>(y) * width + x] = (a << 24) | (r << 16) | (g << 8) | b;
      }
    }
  }

  if (info) {
    info->Width = width;
    info->Height = height;
    info->Depth = 1;
    info->MipLevels = mips ? mips : 1;
    info->Format = format;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = D3DXIFF_DDS;
  }
  return S_OK;
}

}  // namespace d3dx

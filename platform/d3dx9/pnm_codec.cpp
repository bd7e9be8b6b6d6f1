// Binary PGM (P5) and PPM (P6) decoding, 8 and 16 bits per sample (16-bit samples are big-endian,
// as the format defines), scaled from the file's maximum value to 8 bits.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <new>

#include "d3dx9/image_codecs.h"
#include "d3dx9/media_limits.h"

namespace d3dx {
namespace {

// The next decimal header field after white space and comments; false when there is none.
bool ReadField(const unsigned char* d, size_t n, size_t* pos, uint64_t* value) {
  while (*pos < n) {
    if (d[*pos] == '#') {
      while (*pos < n && d[*pos] != '\n' && d[*pos] != '\r') ++*pos;
    } else if (std::isspace(d[*pos])) {
      ++*pos;
    } else {
      break;
    }
  }
  if (*pos >= n || !std::isdigit(d[*pos])) return false;
  *value = 0;
  while (*pos < n && std::isdigit(d[*pos])) {
    *value = *value * 10 + (d[*pos] - '0');
    if (*value > 0xffffffffu) return false;
    ++*pos;
  }
  return true;
}

HRESULT Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return D3DXERR_INVALIDDATA;
}

}  // namespace

bool IsPnm(const unsigned char* data, size_t size) {
  return size >= 2 && data[0] == 'P' && (data[1] == '5' || data[1] == '6');
}

HRESULT DecodePnm(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error) {
  const int channels = data[1] == '6' ? 3 : 1;
  size_t pos = 2;
  uint64_t width = 0, height = 0, maxValue = 0;
  if (!ReadField(data, size, &pos, &width) || !ReadField(data, size, &pos, &height) ||
      !ReadField(data, size, &pos, &maxValue) || pos >= size || !std::isspace(data[pos]))
    return Fail(error, "broken PNM header");
  ++pos;  // exactly one white-space character ends the header
  if (maxValue == 0 || maxValue > 65535) return Fail(error, "PNM maximum value out of range");
  const std::string tooLarge = CheckTextureSize(width, height);
  if (!tooLarge.empty()) return Fail(error, tooLarge);
  const uint64_t sampleBytes = maxValue > 255 ? 2 : 1;
  const uint64_t needed = width * height * channels * sampleBytes;
  if (size - pos < needed)
    return Fail(error, "the file is too short for the " + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels its header claims");
  try {
    out->argb.resize(static_cast<size_t>(width * height));
  } catch (const std::bad_alloc&) {
    return Fail(error, "out of memory for the picture");
  }
  out->width = static_cast<UINT>(width);
  out->height = static_cast<UINT>(height);
  const unsigned char* p = data + pos;
  auto sample = [&]() {
    uint32_t v = *p++;
    if (sampleBytes == 2) v = (v << 8) | *p++;
    return static_cast<uint32_t>((std::min<uint64_t>(v, maxValue) * 255 + maxValue / 2) / maxValue);
  };
  for (uint32_t& pixel : out->argb) {
    const uint32_t r = sample();
    const uint32_t g = channels == 3 ? sample() : r;
    const uint32_t b = channels == 3 ? sample() : r;
    pixel = 0xff000000u | (r << 16) | (g << 8) | b;
  }
  if (info) {
    *info = D3DXIMAGE_INFO{};
    info->Width = out->width;
    info->Height = out->height;
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format = channels == 3 ? D3DFMT_X8R8G8B8 : D3DFMT_L8;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = D3DXIFF_PPM;
  }
  return S_OK;
}

}  // namespace d3dx

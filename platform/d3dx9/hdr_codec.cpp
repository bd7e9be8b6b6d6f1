// Radiance HDR (RGBE) pictures, read here instead of by the single-header decoder, whose
// scan-line loop never ends on a run of length 0. Every loop below consumes at least one byte
// of input or one pixel of output per step, and every count is checked against what is left.
// Values are brought to 8 bits as that decoder did: gamma 1/2.2, clamped.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "d3dx9/image_codecs.h"
#include "d3dx9/media_limits.h"

namespace d3dx {
namespace {

HRESULT Fail(std::string* error, const std::string& why) {
  if (error) *error = "HDR picture: " + why;
  return D3DXERR_INVALIDDATA;
}

// The next header line, without its '\n'; false at the end of the data.
bool NextLine(const unsigned char* d, size_t n, size_t* pos, std::string* line) {
  if (*pos >= n) return false;
  const size_t start = *pos;
  while (*pos < n && d[*pos] != '\n') ++*pos;
  line->assign(reinterpret_cast<const char*>(d + start), *pos - start);
  if (*pos < n) ++*pos;
  return true;
}

// "-Y height +X width", the only orientation the format's writers use.
bool ParseResolution(const std::string& line, uint64_t* width, uint64_t* height) {
  unsigned long long h = 0, w = 0;
  char end = 0;
  if (std::sscanf(line.c_str(), "-Y %llu +X %llu%c", &h, &w, &end) != 2) return false;
  *width = w;
  *height = h;
  return true;
}

uint8_t ToByte(float value) {
  float z = std::pow(value, 1.0f / 2.2f) * 255.0f + 0.5f;
  if (!(z > 0.0f)) z = 0.0f;
  if (z > 255.0f) z = 255.0f;
  return static_cast<uint8_t>(z);
}

uint32_t FromRgbe(const uint8_t* rgbe) {
  if (rgbe[3] == 0) return 0xff000000u;
  const float scale = std::ldexp(1.0f, rgbe[3] - (128 + 8));
  return 0xff000000u | (uint32_t(ToByte(rgbe[0] * scale)) << 16) |
         (uint32_t(ToByte(rgbe[1] * scale)) << 8) | ToByte(rgbe[2] * scale);
}

// One run-length scan line (after its 4-byte marker) into `line`, channel by channel.
bool ReadRunLengthLine(const unsigned char* d, size_t n, size_t* pos, uint32_t width, uint8_t* line,
                       std::string* why) {
  for (int channel = 0; channel < 4; ++channel) {
    uint32_t x = 0;
    while (x < width) {
      if (*pos >= n) return *why = "the data ends early", false;
      uint32_t count = d[(*pos)++];
      if (count == 0) return *why = "a run of length 0 in the pixel data", false;
      const bool run = count > 128;
      if (run) count -= 128;
      if (count > width - x) return *why = "a run longer than its scan line", false;
      if (*pos + (run ? 1 : count) > n) return *why = "the data ends early", false;
      for (uint32_t k = 0; k < count; ++k, ++x) line[x * 4 + channel] = run ? d[*pos] : d[*pos + k];
      *pos += run ? 1 : count;
    }
  }
  return true;
}

}  // namespace

bool IsHdr(const unsigned char* data, size_t size) {
  return (size >= 11 && std::memcmp(data, "#?RADIANCE\n", 11) == 0) ||
         (size >= 7 && std::memcmp(data, "#?RGBE\n", 7) == 0);
}

HRESULT DecodeHdr(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error) {
  size_t pos = 0;
  std::string line;
  NextLine(data, size, &pos, &line);  // the signature
  bool rgbe = false;
  while (NextLine(data, size, &pos, &line) && !line.empty()) {
    if (line == "FORMAT=32-bit_rle_rgbe") rgbe = true;
    if (line.rfind("FORMAT=", 0) == 0 && !rgbe)
      return Fail(error, "the pixel format " + line.substr(7) + " is not supported");
  }
  if (!rgbe) return Fail(error, "no FORMAT=32-bit_rle_rgbe line in the header");
  uint64_t width = 0, height = 0;
  if (!NextLine(data, size, &pos, &line) || !ParseResolution(line, &width, &height))
    return Fail(error, "no \"-Y height +X width\" line after the header");
  const std::string reason = CheckTextureSize(width, height);
  if (!reason.empty()) return Fail(error, reason);
  // At best two bytes describe 127 values of one channel: a shorter file lies about its size.
  if ((size - pos) * 64 < width * height)
    return Fail(error, "the file is too short for the " + std::to_string(width) + " x " +
                           std::to_string(height) + " pixels its header claims");

  Image image;
  image.width = static_cast<UINT>(width);
  image.height = static_cast<UINT>(height);
  std::vector<uint8_t> line_rgbe;
  try {
    image.argb.resize(width * height);
    line_rgbe.resize(width * 4);
  } catch (const std::bad_alloc&) {
    if (error) *error = "not enough memory for the picture";
    return E_OUTOFMEMORY;
  }
  const uint32_t w = static_cast<uint32_t>(width);
  const bool may_run_length = w >= 8 && w < 32768;
  for (uint64_t y = 0; y < height; ++y) {
    const bool run_length = may_run_length && pos + 4 <= size && data[pos] == 2 &&
                            data[pos + 1] == 2 && (data[pos + 2] & 0x80) == 0;
    std::string why;
    if (run_length) {
      if ((uint32_t(data[pos + 2]) << 8 | data[pos + 3]) != w)
        return Fail(error, "a scan line of another length than the picture's width");
      pos += 4;
      if (!ReadRunLengthLine(data, size, &pos, w, line_rgbe.data(), &why)) return Fail(error, why);
    } else {  // flat RGBE pixels
      if (size - pos < uint64_t{w} * 4) return Fail(error, "the data ends early");
      std::memcpy(line_rgbe.data(), data + pos, w * 4u);
      pos += w * 4u;
    }
    for (uint32_t x = 0; x < w; ++x) image.argb[y * w + x] = FromRgbe(&line_rgbe[x * 4]);
  }
  *out = std::move(image);
  if (info) {
    *info = D3DXIMAGE_INFO{};
    info->Width = out->width;
    info->Height = out->height;
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format = D3DFMT_X8R8G8B8;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = D3DXIFF_HDR;
  }
  return S_OK;
}

}  // namespace d3dx

// PNG decoding through libpng's simplified API: the size is read and checked against the
// texture limits before any pixel memory is allocated.
#include <png.h>

#include <cstring>
#include <new>

#include "d3dx9/image_codecs.h"
#include "d3dx9/media_limits.h"

namespace d3dx {

bool IsPng(const unsigned char* data, size_t size) {
  return size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
}

HRESULT DecodePng(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, data, size)) {
    if (error) *error = std::string("not a readable PNG: ") + png.message;
    png_image_free(&png);
    return D3DXERR_INVALIDDATA;
  }
  const std::string tooLarge = CheckTextureSize(png.width, png.height);
  if (!tooLarge.empty()) {
    if (error) *error = tooLarge;
    png_image_free(&png);
    return D3DXERR_INVALIDDATA;
  }
  const png_uint_32 fileFormat = png.format;
  // B, G, R, A in memory is an A8R8G8B8 value on a little-endian machine.
  png.format = PNG_FORMAT_BGRA;
  try {
    out->argb.assign(static_cast<size_t>(png.width) * png.height, 0);
  } catch (const std::bad_alloc&) {
    png_image_free(&png);
    if (error) *error = "out of memory for the picture";
    return E_OUTOFMEMORY;
  }
  if (!png_image_finish_read(&png, nullptr, out->argb.data(), 0, nullptr)) {
    if (error) *error = std::string("broken PNG data: ") + png.message;
    png_image_free(&png);
    out->argb.clear();
    return D3DXERR_INVALIDDATA;
  }
  out->width = png.width;
  out->height = png.height;
  if (info) {
    const bool alpha = (fileFormat & PNG_FORMAT_FLAG_ALPHA) != 0;
    const bool colour = (fileFormat & PNG_FORMAT_FLAG_COLOR) != 0;
    *info = D3DXIMAGE_INFO{};
    info->Width = png.width;
    info->Height = png.height;
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format =
        colour ? (alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8) : (alpha ? D3DFMT_A8L8 : D3DFMT_L8);
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = D3DXIFF_PNG;
  }
  return S_OK;
}

}  // namespace d3dx

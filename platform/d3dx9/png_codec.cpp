// PNG decoding through libpng's full read API. The size is read and checked against the texture
// limits before any pixel memory is allocated. A texture gets the samples the file stores, as
// Direct3D's loader hands them to the device: no gamma or colour-space conversion (gAMA, sRGB,
// cHRM and iCCP chunks change nothing), and 16-bit samples keep their high byte.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "d3dx9/image_codecs.h"
#include "d3dx9/media_limits.h"

namespace d3dx {
namespace {

// libpng's error messages end the decode through longjmp; warnings (a colour profile it does
// not like, a damaged ancillary chunk) are not worth a line on stderr per picture.
struct ReadState {
  const unsigned char* data = nullptr;
  size_t size = 0;
  size_t at = 0;
  char message[200] = {};
};

void OnError(png_structp png, png_const_charp message) {
  auto* state = static_cast<ReadState*>(png_get_error_ptr(png));
  std::snprintf(state->message, sizeof state->message, "%s", message ? message : "");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
  if (length > state->size - state->at) png_error(png, "the file ends too early");
  std::memcpy(out, state->data + state->at, length);
  state->at += length;
}

}  // namespace

bool IsPng(const unsigned char* data, size_t size) {
  return size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
}

HRESULT DecodePng(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                  std::string* error) {
  ReadState state;
  state.data = data;
  state.size = size;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
  png_infop pngInfo = png ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || pngInfo == nullptr) {
    png_destroy_read_struct(png ? &png : nullptr, nullptr, nullptr);
    if (error) *error = "out of memory for the picture";
    return E_OUTOFMEMORY;
  }
  // Touched after a longjmp: outside this frame's registers.
  std::vector<png_bytep> rows;
  volatile HRESULT failure = D3DXERR_INVALIDDATA;
  volatile bool headerRead = false;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    out->argb.clear();
    if (error && failure == D3DXERR_INVALIDDATA) {
      *error =
          std::string(headerRead ? "broken PNG data: " : "not a readable PNG: ") + state.message;
    }
    return failure;
  }
  png_set_read_fn(png, &state, ReadFromMemory);
  png_read_info(png, pngInfo);
  headerRead = true;
  const png_uint_32 width = png_get_image_width(png, pngInfo);
  const png_uint_32 height = png_get_image_height(png, pngInfo);
  const std::string tooLarge = CheckTextureSize(width, height);
  if (!tooLarge.empty()) {
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    if (error) *error = tooLarge;
    return D3DXERR_INVALIDDATA;
  }
  const int colourType = png_get_color_type(png, pngInfo);
  const bool transparency = png_get_valid(png, pngInfo, PNG_INFO_tRNS) != 0;
  const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || transparency;
  const bool colour = (colourType & PNG_COLOR_MASK_COLOR) != 0;

  // Every layout becomes 8-bit B, G, R, A in memory, an A8R8G8B8 value on a little-endian
  // machine; the transforms only rearrange and widen samples, none changes their values.
  png_set_strip_16(png);  // the high byte of each 16-bit sample
  png_set_packing(png);
  if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, pngInfo) < 8) {
    png_set_expand_gray_1_2_4_to_8(png);
  }
  if (transparency) png_set_tRNS_to_alpha(png);
  if (!colour) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!alpha) png_set_filler(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, pngInfo);
  if (png_get_rowbytes(png, pngInfo) != static_cast<size_t>(width) * 4) {
    png_error(png, "unexpected sample layout");
  }
  try {
    out->argb.assign(static_cast<size_t>(width) * height, 0);
    rows.resize(height);
  } catch (const std::bad_alloc&) {
    failure = E_OUTOFMEMORY;
    if (error) *error = "out of memory for the picture";
    png_longjmp(png, 1);
  }
  for (png_uint_32 y = 0; y < height; ++y) {
    rows[y] = reinterpret_cast<png_bytep>(&out->argb[static_cast<size_t>(y) * width]);
  }
  // What follows the pixels (text, a damaged or missing end chunk) is not read: the picture is
  // complete without it.
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &pngInfo, nullptr);
  out->width = width;
  out->height = height;
  if (info) {
    *info = D3DXIMAGE_INFO{};
    info->Width = width;
    info->Height = height;
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

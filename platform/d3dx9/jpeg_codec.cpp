// JPEG decoding through libjpeg-turbo: the frame header is read and checked against the texture
// limits before the decoder allocates its buffers; libjpeg's errors end the decode through
// longjmp with the library's own message, and its memory use is capped.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jpeglib.h>

#include "d3dx9/image_codecs.h"
#include "d3dx9/media_limits.h"

namespace d3dx {
namespace {

// A progressive 8192 x 8192 picture keeps all its coefficients: 384 MiB for three components.
constexpr long kMaxJpegMemory = 512L << 20;

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (corrupt or truncated data) are not fatal: the decoder fills what is missing, as
// other viewers show such files. They are not printed per scan line.
void OnMessage(j_common_ptr, int) {}

uint32_t Pack(uint32_t r, uint32_t g, uint32_t b) {
  return 0xff000000u | (r << 16) | (g << 8) | b;
}

}  // namespace

bool IsJpeg(const unsigned char* data, size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

HRESULT DecodeJpeg(const unsigned char* data, size_t size, Image* out, D3DXIMAGE_INFO* info,
                   std::string* error) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = OnError;
  err.base.emit_message = OnMessage;
  err.message[0] = '\0';
  // Everything touched after a longjmp lives outside this frame or is volatile.
  std::vector<unsigned char> row;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    out->argb.clear();
    if (error) *error = std::string("broken JPEG data: ") + err.message;
    return D3DXERR_INVALIDDATA;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxJpegMemory;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const std::string tooLarge = CheckTextureSize(cinfo.image_width, cinfo.image_height);
  if (!tooLarge.empty()) {
    jpeg_destroy_decompress(&cinfo);
    if (error) *error = tooLarge;
    return D3DXERR_INVALIDDATA;
  }
  const bool gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  // B, G, R, A in memory is an A8R8G8B8 value. CMYK and YCCK come out as CMYK and are turned
  // into RGB plainly, without colour management; files with Adobe's marker (all YCCK files and
  // nearly all CMYK ones) store it inverted.
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  const bool inverted = cinfo.saw_Adobe_marker != 0;
  jpeg_start_decompress(&cinfo);
  const JDIMENSION width = cinfo.output_width, height = cinfo.output_height;
  try {
    out->argb.assign(static_cast<size_t>(width) * height, 0);
    row.resize(static_cast<size_t>(width) * cinfo.output_components);
  } catch (const std::bad_alloc&) {
    jpeg_destroy_decompress(&cinfo);
    out->argb.clear();
    if (error) *error = "out of memory for the picture";
    return E_OUTOFMEMORY;
  }
  while (cinfo.output_scanline < height) {
    const JDIMENSION y = cinfo.output_scanline;
    JSAMPROW dst =
        cmyk ? row.data() : reinterpret_cast<JSAMPROW>(&out->argb[static_cast<size_t>(y) * width]);
    if (jpeg_read_scanlines(&cinfo, &dst, 1) != 1) break;
    if (cmyk) {
      uint32_t* line = &out->argb[static_cast<size_t>(y) * width];
      for (JDIMENSION x = 0; x < width; ++x) {
        const unsigned char* p = &row[x * 4];
        // Ink left out, in each channel: 255 - ink, or the stored value where it is inverted.
        uint32_t left[4];
        for (int i = 0; i < 4; ++i) left[i] = inverted ? p[i] : 255u - p[i];
        line[x] = Pack(left[0] * left[3] / 255, left[1] * left[3] / 255, left[2] * left[3] / 255);
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  out->width = width;
  out->height = height;
  if (info) {
    *info = D3DXIMAGE_INFO{};
    info->Width = width;
    info->Height = height;
    info->Depth = 1;
    info->MipLevels = 1;
    info->Format = gray ? D3DFMT_L8 : D3DFMT_X8R8G8B8;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = D3DXIFF_JPG;
  }
  return S_OK;
}

}  // namespace d3dx

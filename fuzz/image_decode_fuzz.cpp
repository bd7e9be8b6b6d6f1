// libFuzzer target for the texture loader's CPU side: any bytes as a picture file (PNG, JPEG,
// BMP, TGA, DDS, GIF, PSD, HDR, PNM), then what D3DXCreateTextureFromFileEx does with the
// pixels: colour key, size checks, resampling to powers of two and the mip chain.
#include <cstddef>
#include <cstdint>
#include <string>

#include "d3dx9/image.h"
#include "d3dx9/isolated_decode.h"
#include "d3dx9/media_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // In-process, as in a web page: the fuzzer's coverage and its time limit then see inside
  // the decoders, and the pre-scans alone must keep them finite.
  d3dx::DecodeInProcess(true);
  d3dx::Image image;
  D3DXIMAGE_INFO info{};
  std::string error;
  if (FAILED(d3dx::DecodeImageMemory(data, size, &image, &info, &error))) {
    if (error.empty()) __builtin_trap();  // every refusal says why
    return 0;
  }
  if (image.width != info.Width || image.height != info.Height ||
      image.argb.size() != static_cast<size_t>(image.width) * image.height)
    __builtin_trap();
  // The key is taken from the picture itself, so that keyed pixels exist.
  d3dx::ApplyColorKey(&image, image.argb.empty() ? 0 : image.argb[image.argb.size() / 2]);
  const UINT width = d3dx::RoundUpPow2(image.width), height = d3dx::RoundUpPow2(image.height);
  // Filtering large pictures teaches the fuzzer nothing new and costs seconds: under the
  // sanitizers and the fuzzer's comparison tracing the resizer takes about 30 us a pixel (a
  // 10500 x 4 PSD widened to 16384 x 4 took 2 s, 17 ms in a release build), and the fuzzer
  // gives an input 2 s.
  if (!d3dx::CheckTextureSize(width, height).empty() || uint64_t{width} * height > 64 * 64 ||
      width > 1024 || height > 1024)
    return 0;
  d3dx::Image level = d3dx::Resample(image, width, height, D3DX_FILTER_TRIANGLE);
  while (level.width > 1 || level.height > 1) level = d3dx::HalveBox(level);
  return 0;
}

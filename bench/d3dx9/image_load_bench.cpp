// Decoding cost of the texture loader's formats. A photo-like 1024 x 1024 picture (smooth
// gradients with noise, so that neither codec has an easy time) encoded as PNG, JPEG, BMP and
// TGA; each benchmark decodes it from memory as the texture loader does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "d3dx9/image.h"

namespace {

constexpr int kSize = 1024;

std::vector<unsigned char> Picture() {
  std::vector<unsigned char> rgb(static_cast<size_t>(kSize) * kSize * 3);
  uint32_t noise = 12345;
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int n = static_cast<int>(noise >> 28) - 8;
      unsigned char* p = &rgb[(static_cast<size_t>(y) * kSize + x) * 3];
      p[0] = static_cast<unsigned char>(std::clamp(x / 4 + n, 0, 255));
      p[1] = static_cast<unsigned char>(std::clamp(y / 4 + n, 0, 255));
      p[2] = static_cast<unsigned char>(std::clamp((x + y) / 8 + n, 0, 255));
    }
  }
  return rgb;
}

void Append(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<unsigned char>*>(context);
  out->insert(out->end(), static_cast<unsigned char*>(data),
              static_cast<unsigned char*>(data) + size);
}

std::vector<unsigned char> Encode(const std::string& format) {
  static const std::vector<unsigned char> rgb = Picture();
  std::vector<unsigned char> out;
  if (format == "png") stbi_write_png_to_func(Append, &out, kSize, kSize, 3, rgb.data(), kSize * 3);
  if (format == "jpg") stbi_write_jpg_to_func(Append, &out, kSize, kSize, 3, rgb.data(), 90);
  if (format == "bmp") stbi_write_bmp_to_func(Append, &out, kSize, kSize, 3, rgb.data());
  if (format == "tga") stbi_write_tga_to_func(Append, &out, kSize, kSize, 3, rgb.data());
  return out;
}

void Decode(benchmark::State& state, const std::string& format) {
  const std::vector<unsigned char> file = Encode(format);
  for (auto _ : state) {
    d3dx::Image image;
    std::string error;
    if (FAILED(d3dx::DecodeImageMemory(file.data(), file.size(), &image, nullptr, &error)))
      state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(image.argb.data());
  }
  state.counters["file_kB"] = static_cast<double>(file.size()) / 1024;
  state.counters["Mpixel/s"] = benchmark::Counter(double(kSize) * kSize / 1e6,
                                                  benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(Decode, png_1024, std::string("png"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, jpeg_1024, std::string("jpg"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, bmp_1024, std::string("bmp"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, tga_rle_1024, std::string("tga"))->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Decoding cost of the texture loader's formats. A photo-like 1024 x 1024 picture (smooth
// gradients with noise, so that neither codec has an easy time) encoded as PNG, JPEG, BMP and
// TGA; each benchmark decodes it from memory as the texture loader does. BMP and TGA are
// decoded in a child process (isolated_decode.h): the Isolation benchmarks measure what that
// costs per picture, from a process the size of a running player, against an in-process decode.
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
#include "d3dx9/isolated_decode.h"

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

// A 64 x 64 TGA (the fork dominates) and the 1024 x 1024 one, decoded in a child or in-process,
// with the process grown first by range(0) MiB of touched memory: a player with its demo
// loaded holds 140-200 MiB, and fork's cost grows with the page tables it copies. Wall time:
// the child's work is not the parent's CPU time.
void Isolation(benchmark::State& state, int size, bool in_process) {
  static std::vector<unsigned char> ballast;
  ballast.assign(static_cast<size_t>(state.range(0)) << 20, 1);
  static const std::vector<unsigned char> rgb = Picture();
  std::vector<unsigned char> file;
  std::vector<unsigned char> part(static_cast<size_t>(size) * size * 3);
  for (int y = 0; y < size; ++y)
    std::copy_n(&rgb[static_cast<size_t>(y) * kSize * 3], size * 3, &part[y * size * 3]);
  stbi_write_tga_to_func(Append, &file, size, size, 3, part.data());
  d3dx::DecodeInProcess(in_process);
  for (auto _ : state) {
    d3dx::Image image;
    std::string error;
    if (FAILED(d3dx::DecodeImageMemory(file.data(), file.size(), &image, nullptr, &error)))
      state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(image.argb.data());
  }
  d3dx::DecodeInProcess(false);
  ballast.clear();
  ballast.shrink_to_fit();
}

BENCHMARK_CAPTURE(Isolation, tga_64_child, 64, false)
    ->Arg(0)
    ->Arg(200)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Isolation, tga_64_in_process, 64, true)
    ->Arg(200)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Isolation, tga_1024_child, 1024, false)
    ->Arg(200)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Isolation, tga_1024_in_process, 1024, true)
    ->Arg(200)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

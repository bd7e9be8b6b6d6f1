// Side by side: one effect frame (2,000 lit, textured triangles, ten render-state changes)
// through the D3D9 layer's GL device, as raw OpenGL, and through the null device (the
// layer's own CPU cost). Goal: the layer within 1.2 times the raw OpenGL cost.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "frames.h"

namespace {

void RunFrames(benchmark::State& state, vexil_bench::FrameDrawer& drawer) {
  for (int i = 0; i < 5; ++i) drawer.DrawFrame();  // warm-up: programs, uploads, samplers
  for (auto _ : state) drawer.DrawFrame();
  state.counters["triangles/s"] =
      benchmark::Counter(2000.0 * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Frame_D3D9LayerOnGL(benchmark::State& state) {
  auto drawer = vexil_bench::MakeLayerFrame(false);
  RunFrames(state, *drawer);
}

void BM_Frame_RawOpenGL(benchmark::State& state) {
  auto drawer = vexil_bench::MakeRawGlFrame();
  RunFrames(state, *drawer);
}

void BM_Frame_D3D9LayerOnNullDevice(benchmark::State& state) {
  auto drawer = vexil_bench::MakeLayerFrame(true);
  RunFrames(state, *drawer);
}

BENCHMARK(BM_Frame_D3D9LayerOnGL)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame_RawOpenGL)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Frame_D3D9LayerOnNullDevice)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Without a display, measure on the offscreen driver (Mesa llvmpipe).
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Side by side, for each benchmark frame (scene.h): the frame through the D3D9 layer's GL
// device, as raw OpenGL, and through the null device (the layer's own CPU cost). Goal: the
// layer's wall time and calling-thread CPU time each at most 1.05 times raw OpenGL. By default
// every benchmark runs in repetitions in random order and the medians' ratios are printed
// after the table.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "d3d9/d3d9.h"
#include "frame_dump.h"
#include "frames.h"
#include "ratio_reporter.h"
#include "scene.h"

namespace {

using vexil_bench::BenchFrame;

// The timed frames, a function of their own so that callgrind can count instructions in it
// alone (--toggle-collect='*TimedFrames*').
__attribute__((noinline)) void TimedFrames(benchmark::State& state,
                                           vexil_bench::FrameDrawer& drawer) {
  for (auto _ : state) drawer.DrawFrame();
}

// Draws the warm-up frames (programs, uploads, samplers), writes the last of them as a
// picture when asked to (the same frame on both sides), then times frames.
void RunFrames(benchmark::State& state, vexil_bench::FrameDrawer& drawer, const char* side,
               BenchFrame frame) {
  if (!drawer.ok()) {
    state.SkipWithError("the frame could not be set up");
    return;
  }
  for (int i = 0; i < 5; ++i) drawer.DrawFrame();
  const std::string folder = vexil_bench::FrameDumpFolder();
  if (!folder.empty() && side) {
    const std::string path =
        folder + "/" + side + "-" + vexil_bench::BenchFrameName(frame) + ".png";
    if (drawer.device()) {
      vexil_bench::DumpLayerFrame(drawer.device(), path);
    } else {
      vexil_bench::DumpRawFrame(path, vexil_bench::kFrameWidth, vexil_bench::kFrameHeight);
    }
  }
  TimedFrames(state, drawer);
}

void BM_LayerOnGL(benchmark::State& state, BenchFrame frame) {
  auto drawer = vexil_bench::MakeLayerFrame(frame, false);
  RunFrames(state, *drawer, "layer", frame);
}

void BM_RawOpenGL(benchmark::State& state, BenchFrame frame) {
  auto drawer = vexil_bench::MakeRawGlFrame(frame);
  RunFrames(state, *drawer, "raw", frame);
}

void BM_LayerOnNullDevice(benchmark::State& state, BenchFrame frame) {
  auto drawer = vexil_bench::MakeLayerFrame(frame, true);
  RunFrames(state, *drawer, nullptr, frame);
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display, measure on the offscreen driver (Mesa llvmpipe).
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
  }
  // A fixed number of frames per run, for instruction counts under callgrind.
  const char* iterations = std::getenv("VEXIL_BENCH_ITERATIONS");
  const auto configure = [iterations](benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMicrosecond);
    if (iterations) b->Iterations(std::atoi(iterations));
  };
  for (BenchFrame frame : vexil_bench::kBenchFrames) {
    const std::string name = vexil_bench::BenchFrameName(frame);
    configure(benchmark::RegisterBenchmark(("BM_LayerOnGL/" + name).c_str(), BM_LayerOnGL, frame));
    configure(benchmark::RegisterBenchmark(("BM_RawOpenGL/" + name).c_str(), BM_RawOpenGL, frame));
    configure(benchmark::RegisterBenchmark(("BM_LayerOnNullDevice/" + name).c_str(),
                                           BM_LayerOnNullDevice, frame));
  }
  std::vector<char*> args = vexil_bench::WithInterleavedRepetitions(argc, argv, 9);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  vexil_bench::RatioReporter reporter("BM_LayerOnGL", "BM_RawOpenGL");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

// Per effect, at its defaults: the CPU time of one frame of the module's own work on the null
// device (goal: under 0.1 ms; metaballs, the heaviest, under 0.3 ms), and the frame through the
// layer's GL device against the same frame as raw OpenGL, both waiting for the GPU (goal: layer at
// most 1.05 times raw). The ratios are printed after the table.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_scenes.h"
#include "bench_world.h"
#include "frame_dump.h"
#include "ratio_reporter.h"
#include "raw_effect_frame.h"

namespace {

using vexil_bench::BenchEffect;

constexpr BenchEffect kEffects[] = {BenchEffect::kBlur,      BenchEffect::kTexScreen,
                                    BenchEffect::kTwister,   BenchEffect::kTorusTunnel,
                                    BenchEffect::kMetaballs, BenchEffect::kSplineTunnel,
                                    BenchEffect::kTrailTube, BenchEffect::kMeshViewer};

// Builds the effect's resources and module; false when that fails.
bool Load(vexil_bench::BenchWorld& world, BenchEffect effect) {
  const std::string resources = vexil_bench::BenchResources(effect);
  if (!resources.empty() && !world.LoadResources(resources)) return false;
  return world.Load(vexil_bench::BenchTimeline(effect));
}

// One frame of the effect, at the demo time `t` for the effects that follow the clock; `t`
// moves on to the next frame's time.
void Frame(vexil_bench::BenchWorld& world, BenchEffect effect, float& t) {
  if (!vexil_bench::BenchTimed(effect)) {
    world.Frame();
    return;
  }
  world.FrameAt(t);
  t = vexil_bench::BenchNextTime(effect, t);
}

void BM_EffectCpuOnNullDevice(benchmark::State& state, BenchEffect effect) {
  vexil_bench::BenchWorld world(true);
  if (!Load(world, effect)) {
    state.SkipWithError("the module could not be built");
    return;
  }
  float t = 0.0f;
  for (int i = 0; i < 10; ++i) Frame(world, effect, t);
  for (auto _ : state) Frame(world, effect, t);
}

void BM_EffectFrameThroughLayer(benchmark::State& state, BenchEffect effect) {
  vexil_bench::BenchWorld world(false);
  if (!Load(world, effect)) {
    state.SkipWithError("the module could not be built");
    return;
  }
  float t = 0.0f;
  for (int i = 0; i < 5; ++i) {  // warm-up: programs, uploads, samplers
    Frame(world, effect, t);
    glFinish();
  }
  const std::string folder = vexil_bench::FrameDumpFolder();
  if (!folder.empty()) {
    vexil_bench::DumpLayerFrame(world.device(),
                                folder + "/layer-" + vexil_bench::BenchEffectName(effect) + ".png");
  }
  for (auto _ : state) {
    Frame(world, effect, t);
    glFinish();
  }
}

std::unique_ptr<vexil_bench::RawEffectFrame> MakeRaw(BenchEffect effect) {
  switch (effect) {
    case BenchEffect::kBlur:
      return vexil_bench::MakeRawBlur();
    case BenchEffect::kTexScreen:
      return vexil_bench::MakeRawTexScreen();
    case BenchEffect::kTwister:
      return vexil_bench::MakeRawTwister();
    case BenchEffect::kTorusTunnel:
      return vexil_bench::MakeRawTorusTunnel();
    case BenchEffect::kMetaballs:
      return vexil_bench::MakeRawMetaballs();
    case BenchEffect::kSplineTunnel:
      return vexil_bench::MakeRawSplineTunnel();
    case BenchEffect::kTrailTube:
      return vexil_bench::MakeRawTrailTube();
    case BenchEffect::kMeshViewer:
      return vexil_bench::MakeRawMeshViewer();
  }
  return nullptr;
}

void BM_EffectFrameRawOpenGL(benchmark::State& state, BenchEffect effect) {
  vexil_bench::RawGlContext context(vexil_bench::kBenchWidth, vexil_bench::kBenchHeight,
                                    vexil_bench::kRawDepthFormat);
  if (!context.ok()) {
    state.SkipWithError("no GL context");
    return;
  }
  context.Begin();
  auto frame = MakeRaw(effect);
  float t = 0.0f;
  const auto draw = [&] {
    context.Begin();
    vexil_bench::ClearRawFrame();
    frame->Draw(t);
    context.Finish();
    if (vexil_bench::BenchTimed(effect)) t = vexil_bench::BenchNextTime(effect, t);
  };
  for (int i = 0; i < 5; ++i) draw();
  const std::string folder = vexil_bench::FrameDumpFolder();
  if (!folder.empty()) {
    vexil_bench::DumpRawFrame(folder + "/raw-" + vexil_bench::BenchEffectName(effect) + ".png",
                              vexil_bench::kBenchWidth, vexil_bench::kBenchHeight);
  }
  for (auto _ : state) draw();
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display, measure on the offscreen driver (Mesa llvmpipe).
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
  }
  for (BenchEffect effect : kEffects) {
    const std::string name = vexil_bench::BenchEffectName(effect);
    benchmark::RegisterBenchmark(("BM_EffectCpuOnNullDevice/" + name).c_str(),
                                 BM_EffectCpuOnNullDevice, effect)
        ->Unit(benchmark::kMicrosecond);
  }
  for (BenchEffect effect : kEffects) {
    const std::string name = vexil_bench::BenchEffectName(effect);
    benchmark::RegisterBenchmark(("BM_EffectFrameThroughLayer/" + name).c_str(),
                                 BM_EffectFrameThroughLayer, effect)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("BM_EffectFrameRawOpenGL/" + name).c_str(),
                                 BM_EffectFrameRawOpenGL, effect)
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  vexil_bench::RatioReporter reporter("BM_EffectFrameThroughLayer", "BM_EffectFrameRawOpenGL");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

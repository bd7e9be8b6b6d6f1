// Per effect, at its defaults: the CPU time of one frame of the module's own work on the null
// device (goal: under 0.1 ms), and the frame through the layer's GL device against the same
// frame as raw OpenGL, both waiting for the GPU (goal: layer at most 1.05 times raw). The
// ratios are printed after the table.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "bench_scenes.h"
#include "bench_world.h"
#include "frame_dump.h"
#include "raw_gl_context.h"

namespace {

using vexil_bench::BenchEffect;

constexpr BenchEffect kEffects[] = {BenchEffect::kBlur, BenchEffect::kTexScreen,
                                    BenchEffect::kTwister, BenchEffect::kTorusTunnel};

void BM_EffectCpuOnNullDevice(benchmark::State& state, BenchEffect effect) {
  vexil_bench::BenchWorld world(true);
  if (!world.Load(vexil_bench::BenchTimeline(effect))) {
    state.SkipWithError("the module could not be built");
    return;
  }
  for (int i = 0; i < 10; ++i) world.Frame();
  for (auto _ : state) world.Frame();
}

void BM_EffectFrameThroughLayer(benchmark::State& state, BenchEffect effect) {
  vexil_bench::BenchWorld world(false);
  if (!world.Load(vexil_bench::BenchTimeline(effect))) {
    state.SkipWithError("the module could not be built");
    return;
  }
  for (int i = 0; i < 5; ++i) {  // warm-up: programs, uploads, samplers
    world.Frame();
    glFinish();
  }
  const std::string folder = vexil_bench::FrameDumpFolder();
  if (!folder.empty()) {
    vexil_bench::DumpLayerFrame(world.device(),
                                folder + "/layer-" + vexil_bench::BenchEffectName(effect) + ".png");
  }
  for (auto _ : state) {
    world.Frame();
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
  }
  return nullptr;
}

void BM_EffectFrameRawOpenGL(benchmark::State& state, BenchEffect effect) {
  vexil_bench::RawGlContext context;
  if (!context.ok()) {
    state.SkipWithError("no GL context");
    return;
  }
  context.Begin();
  auto frame = MakeRaw(effect);
  for (int i = 0; i < 5; ++i) {
    context.Begin();
    frame->Draw();
    context.Finish();
  }
  const std::string folder = vexil_bench::FrameDumpFolder();
  if (!folder.empty()) {
    vexil_bench::DumpRawFrame(folder + "/raw-" + vexil_bench::BenchEffectName(effect) + ".png");
  }
  for (auto _ : state) {
    context.Begin();
    frame->Draw();
    context.Finish();
  }
}

// Console output, then per effect the layer / raw OpenGL ratio of the frame time (the median
// of repetitions when there are any) and of the main thread's CPU time.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      const std::string& name = run.run_name.function_name;
      const size_t slash = name.find('/');
      if (slash == std::string::npos) continue;
      const std::string effect = name.substr(slash + 1);
      Times* times = nullptr;
      if (name.rfind("BM_EffectFrameThroughLayer", 0) == 0) times = &m_layer[effect];
      if (name.rfind("BM_EffectFrameRawOpenGL", 0) == 0) times = &m_raw[effect];
      if (!times || (times->median && !median)) continue;
      *times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [effect, layer] : m_layer) {
      const auto raw = m_raw.find(effect);
      if (raw == m_raw.end() || raw->second.real <= 0 || raw->second.cpu <= 0) continue;
      std::printf("%-12s layer / raw OpenGL: frame %.3f, main thread CPU %.3f\n", effect.c_str(),
                  layer.real / raw->second.real, layer.cpu / raw->second.cpu);
    }
  }

 private:
  struct Times {
    double real = 0, cpu = 0;
    bool median = false;
  };
  std::map<std::string, Times> m_layer, m_raw;
};

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
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

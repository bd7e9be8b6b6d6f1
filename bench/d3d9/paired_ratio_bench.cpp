// The layer / raw OpenGL ratios of the d3d9 benchmark frames, measured in pairs of blocks that
// follow each other within a fraction of a second. On a shared machine the speed of the same
// frame drifts by tens of percent over seconds to minutes (other tenants, frequency), far more
// than the few percent the comparison is about; timing the two sides in separate benchmark
// runs lets that drift fall on one side more than the other. Here both drawers live in one
// process and take turns: a round times a block of frames of one side, then one of the other
// (which goes first alternates), so each round's ratio sees the machine at one speed. The
// result is the median of the rounds' ratios with its 95 % confidence interval, which needs no
// assumption about how the times are distributed.
//
//   d3d9_paired_ratio_bench [--rounds N] [--block FRAMES] [grid|tube|quads ...]
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "frames.h"

namespace {

using vexil_bench::BenchFrame;

double Seconds(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct BlockTime {
  double cpu = 0, wall = 0;  // per frame, in seconds
};

// One unmeasured frame takes the switch from the other side's context and refills the caches
// it left; then `frames` frames are timed on the calling thread's CPU clock and the wall clock.
BlockTime TimeBlock(vexil_bench::FrameDrawer& drawer, int frames) {
  drawer.DrawFrame();
  const double cpu0 = Seconds(CLOCK_THREAD_CPUTIME_ID), wall0 = Seconds(CLOCK_MONOTONIC);
  for (int i = 0; i < frames; ++i) drawer.DrawFrame();
  const double cpu1 = Seconds(CLOCK_THREAD_CPUTIME_ID), wall1 = Seconds(CLOCK_MONOTONIC);
  return {(cpu1 - cpu0) / frames, (wall1 - wall0) / frames};
}

struct Estimate {
  double median = 0, low = 0, high = 0;
};

// The median and the order statistics that bound it with at least 95 % confidence (the
// binomial's normal approximation, good from a few dozen values on).
Estimate MedianWithInterval(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  Estimate e;
  e.median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  const double half = 1.96 * std::sqrt(static_cast<double>(n)) / 2;
  const double centre = static_cast<double>(n) / 2;
  const auto rank = [n](double r) {  // 1-based rank, kept within the values
    return static_cast<size_t>(std::clamp(r, 1.0, static_cast<double>(n))) - 1;
  };
  e.low = values[rank(std::floor(centre - half))];
  e.high = values[rank(std::ceil(centre + half) + 1)];
  return e;
}

double Median(std::vector<double> values) {
  return MedianWithInterval(std::move(values)).median;
}

bool Measure(BenchFrame frame, int rounds, int block) {
  auto layer = vexil_bench::MakeLayerFrame(frame, false);
  auto raw = vexil_bench::MakeRawGlFrame(frame);
  const char* name = vexil_bench::BenchFrameName(frame);
  if (!layer->ok() || !raw->ok()) {
    std::fprintf(stderr, "%s: the frame could not be set up\n", name);
    return false;
  }
  // Programs, uploads and samplers on both sides, and the driver's shader variants.
  for (int i = 0; i < 50; ++i) layer->DrawFrame(), raw->DrawFrame();

  std::vector<double> cpuRatio, wallRatio, layerCpu, rawCpu, layerWall, rawWall;
  for (int round = 0; round < rounds; ++round) {
    BlockTime l, r;
    if (round % 2) {
      r = TimeBlock(*raw, block);
      l = TimeBlock(*layer, block);
    } else {
      l = TimeBlock(*layer, block);
      r = TimeBlock(*raw, block);
    }
    cpuRatio.push_back(l.cpu / r.cpu);
    wallRatio.push_back(l.wall / r.wall);
    layerCpu.push_back(l.cpu), rawCpu.push_back(r.cpu);
    layerWall.push_back(l.wall), rawWall.push_back(r.wall);
  }
  const Estimate cpu = MedianWithInterval(cpuRatio), wall = MedianWithInterval(wallRatio);
  std::printf(
      "%-6s layer / raw OpenGL over %d rounds of %d frames: calling thread CPU %.3f "
      "(95 %%: %.3f-%.3f), wall %.3f (95 %%: %.3f-%.3f) | per frame: layer %.0f us CPU, "
      "%.0f us wall; raw %.0f us CPU, %.0f us wall\n",
      name, rounds, block, cpu.median, cpu.low, cpu.high, wall.median, wall.low, wall.high,
      Median(layerCpu) * 1e6, Median(layerWall) * 1e6, Median(rawCpu) * 1e6, Median(rawWall) * 1e6);
  std::fflush(stdout);
  return true;
}

int Usage() {
  std::fprintf(stderr,
               "usage: d3d9_paired_ratio_bench [--rounds N] [--block FRAMES] [grid|tube|quads "
               "...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
  }
  int rounds = 201, block = 20;
  std::vector<BenchFrame> frames;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--rounds" || arg == "--block") && i + 1 < argc) {
      const int value = std::atoi(argv[++i]);
      if (value < 1) return Usage();
      (arg == "--rounds" ? rounds : block) = value;
      continue;
    }
    bool known = false;
    for (BenchFrame frame : vexil_bench::kBenchFrames) {
      if (arg == vexil_bench::BenchFrameName(frame)) frames.push_back(frame), known = true;
    }
    if (!known) return Usage();
  }
  if (frames.empty())
    frames.assign(std::begin(vexil_bench::kBenchFrames), std::end(vexil_bench::kBenchFrames));
  bool ok = true;
  for (BenchFrame frame : frames) ok = Measure(frame, rounds, block) && ok;
  return ok ? 0 : 1;
}

// Whole-process throughput of `vexil --capture`: start-up, rendering on the offscreen driver,
// reading frames back and writing PNGs and the WAV, in captured frames per second. Runs a
// generated script of the end-to-end module library at three sizes, or the script given as
// the last argument (played from its own folder). Beside them, two seconds of the bundled demo
// at 640 x 480 and 1280 x 720 captured to PNG and rendered with read-back only (a hash of each
// frame, no encoding, no files), interleaved, with the ratio of their frame rates printed at
// the end. Goal: the capture at 0.9 times the render-only frame rate or more.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string g_script;  // a script given on the command line, empty for the generated ones

constexpr int kFrames = 120;  // two seconds at 60 frames per second

std::string GeneratedScript(int width, int height) {
  // A render target filled every frame, drawn over the screen, and a moving rectangle.
  return "<demo name=\"bench\"><settings><width value=\"" + std::to_string(width) +
         "\"/><height value=\"" + std::to_string(height) +
         "\"/></settings><libraries><l file=\"vexil_e2e_modules.dll\"/></libraries>"
         "<resources><r type=\"rendertarget\" name=\"rt\"><param name=\"width\" type=\"long\" "
         "value=\"256\"/><param name=\"height\" type=\"long\" value=\"256\"/></r></resources>"
         "<timeline>"
         "<m type=\"fill\" start=\"0\" end=\"1990\" layer=\"0\"><target value=\"rt\"/>"
         "<param name=\"color\" type=\"linearcolor\"><key time=\"0\" value=\"#102030\"/>"
         "<key time=\"2000\" value=\"#F0E0D0\"/></param></m>"
         "<m type=\"texquad\" start=\"0\" end=\"1990\" layer=\"1\">"
         "<param name=\"texture\" type=\"string\" value=\"rt\"/></m>"
         "<m type=\"fillrect\" start=\"0\" end=\"1990\" layer=\"2\">"
         "<param name=\"color\" type=\"color\" value=\"#FFFF8000\"/>"
         "<param name=\"left\" type=\"linearlong\"><key time=\"0\" value=\"0\"/>"
         "<key time=\"2000\" value=\"" +
         std::to_string(width / 2) +
         "\"/></param><param name=\"right\" type=\"linearlong\"><key time=\"0\" value=\"" +
         std::to_string(width / 4) + "\"/><key time=\"2000\" value=\"" + std::to_string(width) +
         "\"/></param><param name=\"bottom\" type=\"long\" value=\"" + std::to_string(height) +
         "\"/></m></timeline></demo>";
}

void RunCapture(benchmark::State& state, const fs::path& script, const std::string& extra) {
  std::string pattern = (fs::temp_directory_path() / "vexil-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    state.SkipWithError("cannot make a scratch folder");
    return;
  }
  const fs::path scratch = pattern;
  const fs::path out = scratch / "out";
  const std::string command =
      "cd '" + script.parent_path().string() + "' && SDL_VIDEODRIVER=offscreen " +
      "SDL_AUDIODRIVER=dummy '" VEXIL_BIN_DIR "/vexil' --capture '" + out.string() + "' " + extra +
      " -- '" + script.filename().string() + "' >/dev/null";
  int64_t frames = 0;
  for (auto _ : state) {
    fs::remove_all(out);
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (status != 0) {
      state.SkipWithError("vexil --capture failed");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    frames = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
      frames += entry.path().extension() == ".png";
    }
  }
  state.counters["frames"] = static_cast<double>(frames);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(frames),
                                             benchmark::Counter::kIsIterationInvariantRate);
  fs::remove_all(scratch);
}

void BM_CaptureGenerated(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  std::string pattern = (fs::temp_directory_path() / "vexil-bench-script-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    state.SkipWithError("cannot make a scratch folder");
    return;
  }
  const fs::path script = fs::path(pattern) / "bench.xml";
  std::ofstream(script) << GeneratedScript(width, height);
  RunCapture(state, script, "--fps 60 --to " + std::to_string(kFrames * 1000 / 60 - 1));
  fs::remove_all(pattern);
}
BENCHMARK(BM_CaptureGenerated)
    ->Args({320, 240})
    ->Args({640, 480})
    ->Args({1280, 720})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Two seconds of the demo's torus tunnel: captured to PNG (mode 1) or rendered and read back
// only, each frame hashed (mode 0).
void BM_DemoFrames(benchmark::State& state) {
  const bool capture = state.range(0) != 0;
  const std::string size = std::to_string(state.range(1)) + "x" + std::to_string(state.range(2));
  const fs::path script = fs::path(VEXIL_DEMO_DIR) / "demo.xml";
  std::string pattern = (fs::temp_directory_path() / "vexil-bench-demo-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    state.SkipWithError("cannot make a scratch folder");
    return;
  }
  const std::string output =
      capture ? "--capture '" + pattern + "/out'" : "--hashes '" + pattern + "/hashes.txt'";
  const std::string command =
      "cd '" + script.parent_path().string() +
      "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy '" VEXIL_BIN_DIR "/vexil' " + output +
      " --size " + size + " --fps 60 --from 33000 --to 34999 demo.xml >/dev/null 2>&1";
  // The program's own processor time (all its threads) beside the wall time: on a busy
  // machine it tells what the encoding costs when the wall time cannot.
  auto childCpu = [] {
    struct rusage u {};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  double cpu = 0;
  for (auto _ : state) {
    fs::remove_all(fs::path(pattern) / "out");
    const double cpuBefore = childCpu();
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    const auto end = std::chrono::steady_clock::now();
    if (status != 0) {
      state.SkipWithError("vexil failed");
      break;
    }
    cpu += childCpu() - cpuBefore;
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.counters["process_cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  int64_t bytes = 0;
  if (capture && fs::exists(fs::path(pattern) / "out")) {
    for (const auto& entry : fs::directory_iterator(fs::path(pattern) / "out")) {
      if (entry.path().extension() == ".png") bytes += static_cast<int64_t>(entry.file_size());
    }
    state.counters["KB/frame"] = static_cast<double>(bytes) / 120.0 / 1000.0;
  }
  state.counters["fps"] = benchmark::Counter(120.0, benchmark::Counter::kIsIterationInvariantRate);
  fs::remove_all(pattern);
}

// Console output, then per size the capture's frame rate over the render-only one (medians).
class CaptureRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string& name = run.benchmark_name();
      if (name.rfind("BM_DemoFrames/", 0) != 0) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      // BM_DemoFrames/<mode>/<width>/<height>/...
      const size_t a = name.find('/'), b = name.find('/', a + 1);
      const std::string size =
          name.substr(b + 1, name.find('/', name.find('/', b + 1) + 1) - b - 1);
      const auto cpu = run.counters.find("process_cpu_s");
      (name[a + 1] == '1' ? capture_ : render_)[size] = {
          run.GetAdjustedRealTime(), cpu == run.counters.end() ? 0.0 : cpu->second.value};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [size, capture] : capture_) {
      const auto render = render_.find(size);
      if (render == render_.end() || capture.wall <= 0 || capture.cpu <= 0) continue;
      // On a machine whose cores the render-only run already fills, the encoding's processor
      // time per frame is what the capture's frame rate pays for.
      std::printf(
          "demo %s: capture to PNG at %.2f times the render-only frame rate "
          "(%.1f against %.1f frames per second); processor time %.2f times, "
          "%.1f ms a frame more\n",
          size.c_str(), render->second.wall / capture.wall, 120.0 / (capture.wall / 1000.0),
          120.0 / (render->second.wall / 1000.0), capture.cpu / render->second.cpu,
          (capture.cpu - render->second.cpu) / 120.0 * 1000.0);
    }
  }

 private:
  struct Times {
    double wall = 0, cpu = 0;
  };
  std::map<std::string, Times> capture_, render_;
};

void BM_CaptureScript(benchmark::State& state) {
  RunCapture(state, fs::absolute(g_script), "--fps 60");
}

}  // namespace

BENCHMARK(BM_DemoFrames)
    ->ArgsProduct({{0, 1}, {640}, {480}})
    ->ArgsProduct({{0, 1}, {1280}, {720}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // What benchmark left over: an optional script to capture instead of the generated ones.
  if (argc > 1) {
    g_script = argv[argc - 1];
    benchmark::RegisterBenchmark("BM_CaptureScript", BM_CaptureScript)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RunSpecifiedBenchmarks(benchmark::CreateDefaultDisplayReporter());
  } else {
    CaptureRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
  }
  benchmark::Shutdown();
  return 0;
}

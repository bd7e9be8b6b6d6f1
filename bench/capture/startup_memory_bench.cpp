// Start-up time and peak memory of `vexil --capture`, whole process: the time from starting
// the program to its first captured frame on disk (median of several starts), and the peak
// resident memory of a capture of the whole bundled demo against that of a script that only
// clears the screen (what SDL, the GL driver and the player need before any effect).
//   startup_memory_bench [--runs N] [--fps N] [--memory-runs N] [script]
// The script defaults to the bundled demo in the build tree; it is played from its folder.
// Goals: first frame within 150 ms; peak within 30 MB of the clear-only script.
// The processor time of the one-frame runs (all threads, user and system) is printed beside
// the wall time: on a busy machine it says what the start costs when the wall time cannot.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "measured_run.h"

namespace {

namespace fs = std::filesystem;

// A whole capture of the demo ends in well under a minute; a hung one must not hang the bench.
constexpr double kTimeoutSeconds = 600;

struct Run {
  bool ok = false;
  double firstFrameMs = -1;  // until frame-000000.png exists
  double totalMs = 0;
  double cpuMs = 0;    // user and system time of all the child's threads
  double peakMiB = 0;  // the child's peak resident set
  int frames = 0;
};

// Starts vexil on `script` (from its folder) capturing into `out` with `extra` options, waits
// for it and measures it. The first frame counts when its file appears: the PNG is encoded
// before the file is opened.
Run Capture(const fs::path& script, const fs::path& out, const std::vector<std::string>& extra) {
  Run run;
  fs::remove_all(out);
  std::vector<std::string> args = {VEXIL_BIN_DIR "/vexil", "--capture", out.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back("--");
  args.push_back(script.filename().string());
  const fs::path first = out / "frame-000000.png";
  const vexil_bench::MeasuredRun measured = vexil_bench::RunMeasured(
      args, script.parent_path().string(), kTimeoutSeconds, [&](double elapsedMs) {
        if (run.firstFrameMs < 0 && fs::exists(first)) run.firstFrameMs = elapsedMs;
      });
  run.totalMs = measured.seconds * 1e3;
  run.peakMiB = measured.peakMiB;
  run.cpuMs = measured.cpuSeconds * 1e3;
  run.ok = measured.ok;
  if (fs::exists(out)) {
    for (const auto& entry : fs::directory_iterator(out)) {
      run.frames += entry.path().extension() == ".png";
    }
  }
  fs::remove_all(out);
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

std::string ClearOnlyScript(int width, int height) {
  return "<demo name=\"clear\"><settings><width value=\"" + std::to_string(width) +
         "\"/><height value=\"" + std::to_string(height) +
         "\"/><fullscreen value=\"0\"/><setupdialog value=\"0\"/></settings>"
         "<libraries><library file=\"effectpack.dll\"/></libraries>"
         "<timeline><black type=\"clearscreen\" start=\"0\" end=\"2000\" layer=\"0\">"
         "<param name=\"color\" type=\"color\" value=\"#FF000000\"/></black></timeline></demo>";
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  int fps = 5;
  int memoryRuns = 1;  // a whole capture at 5 frames per second still passes every scene
  fs::path script = fs::path(VEXIL_DEMO_DIR) / "demo.xml";
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--memory-runs") && i + 1 < argc) {
      memoryRuns = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--fps") && i + 1 < argc) {
      fps = std::max(1, std::atoi(argv[++i]));
    } else {
      script = argv[i];
    }
  }
  script = fs::absolute(script);
  if (!fs::is_regular_file(script)) {
    std::fprintf(stderr, "no script at %s\n", script.c_str());
    return 1;
  }
  std::string pattern = (fs::temp_directory_path() / "vexil-startup-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::fprintf(stderr, "cannot make a scratch folder\n");
    return 1;
  }
  const fs::path scratch = pattern;
  const fs::path out = scratch / "out";
  // The effect library is found beside the program, wherever the script is.
  const fs::path clearScript = scratch / "clear-only.xml";
  std::ofstream(clearScript) << ClearOnlyScript(640, 480);

  // Start-up: one frame, the script's first. Starts of the demo and of the clear-only
  // script alternate so the machine's load falls on both alike.
  std::vector<double> firstDemo, firstClear, totalDemo, cpuDemo, cpuClear, peakDemo, peakClear;
  for (int i = 0; i < runs; ++i) {
    const Run demo = Capture(script, out, {"--to", "0"});
    const Run clear = Capture(clearScript, out, {"--to", "0"});
    if (!demo.ok || demo.firstFrameMs < 0 || !clear.ok || clear.firstFrameMs < 0) {
      std::fprintf(stderr, "a one-frame capture failed\n");
      fs::remove_all(scratch);
      return 1;
    }
    firstDemo.push_back(demo.firstFrameMs);
    totalDemo.push_back(demo.totalMs);
    firstClear.push_back(clear.firstFrameMs);
    cpuDemo.push_back(demo.cpuMs);
    cpuClear.push_back(clear.cpuMs);
    peakDemo.push_back(demo.peakMiB);
    peakClear.push_back(clear.peakMiB);
  }
  std::printf(
      "start to first captured frame (median of %d): %.1f ms (goal 150 ms); "
      "clear-only script %.1f ms; whole one-frame run %.1f ms\n",
      runs, Median(firstDemo), Median(firstClear), Median(totalDemo));
  std::printf(
      "one-frame run, processor time (median): %.1f ms, clear-only %.1f ms; peak resident "
      "memory %.1f MiB, clear-only %.1f MiB\n",
      Median(cpuDemo), Median(cpuClear), Median(peakDemo), Median(peakClear));

  // Memory: whole captures against the clear-only script's, alternating; medians.
  const std::string rate = std::to_string(fps);
  std::vector<double> fullPeak, clearPeak;
  int frames = 0;
  for (int i = 0; i < memoryRuns; ++i) {
    const Run full = Capture(script, out, {"--fps", rate});
    const Run clear = Capture(clearScript, out, {"--fps", rate});
    if (!full.ok || !clear.ok) {
      std::fprintf(stderr, "a capture failed\n");
      fs::remove_all(scratch);
      return 1;
    }
    fullPeak.push_back(full.peakMiB);
    clearPeak.push_back(clear.peakMiB);
    frames = full.frames;
  }
  fs::remove_all(scratch);
  std::printf(
      "peak resident memory (median of %d): whole capture %.1f MiB (%d frames at %d fps), "
      "clear-only %.1f MiB, difference %.1f MiB (goal 30 MB = %.1f MiB)\n",
      memoryRuns, Median(fullPeak), frames, fps, Median(clearPeak),
      Median(fullPeak) - Median(clearPeak), 30e6 / (1024.0 * 1024.0));
  return 0;
}

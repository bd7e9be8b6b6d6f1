// Large renders, whole process: the bundled demo rendered at 640 x 480, 1920 x 1080 and
// 3840 x 2160 with read-back only (a hash manifest), captured to PNG and exported as a video,
// each run's frames per second and peak resident memory printed as a table.
//   large_render_bench [--seconds S] [--4k-seconds S] [--fps N] [--timeout S] [--from MS]
//                      [--only WIDTHxHEIGHT] [--no-video] [--bin DIR]
// Defaults: 2 s of demo at 30 frames per second from 33 s (the torus tunnel), 1 s at 4K; every
// run ends after 240 s at most. Everything is written into a temporary folder removed at the
// end. The frame rate is wall-clock and so depends on the machine's load; the peak memory does
// not, and is what says whether a 4K render stays bounded. --bin runs the vexil of another
// build (a copy of an earlier one, to compare).
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "measured_run.h"

namespace {

namespace fs = std::filesystem;

struct Size {
  int width, height;
};

enum class Mode { kRenderOnly, kPng, kVideo };

const char* ModeName(Mode mode) {
  switch (mode) {
    case Mode::kRenderOnly:
      return "render-only";
    case Mode::kPng:
      return "PNG capture";
    case Mode::kVideo:
      return "video (mkv)";
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2, seconds4k = 1, timeoutS = 240, fromMs = 33000;
  int fps = 30;
  std::string only, bin = VEXIL_BIN_DIR;
  bool video = true;
  for (int i = 1; i < argc; i += 2) {
    const std::string flag = argv[i];
    if (flag == "--no-video") {
      video = false;
      --i;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "%s needs a value\n", argv[i]);
      return 2;
    }
    const char* value = argv[i + 1];
    if (flag == "--seconds") {
      seconds = std::atof(value);
    } else if (flag == "--4k-seconds") {
      seconds4k = std::atof(value);
    } else if (flag == "--fps") {
      fps = std::max(1, std::atoi(value));
    } else if (flag == "--timeout") {
      timeoutS = std::atof(value);
    } else if (flag == "--from") {
      fromMs = std::atof(value);
    } else if (flag == "--bin") {
      bin = value;
    } else if (flag == "--only") {
      only = value;
    } else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }
  std::string pattern = (fs::temp_directory_path() / "vexil-large-render-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::fprintf(stderr, "cannot make a scratch folder\n");
    return 1;
  }
  const fs::path scratch = pattern;
  const Size sizes[] = {{640, 480}, {1920, 1080}, {3840, 2160}};
  const Mode modes[] = {Mode::kRenderOnly, Mode::kPng, Mode::kVideo};
  std::printf("%-11s %-12s %7s %8s %9s %10s\n", "size", "output", "frames", "fps", "cpu s",
              "peak MiB");
  bool allOk = true;
  for (const Size& size : sizes) {
    const std::string sizeText = std::to_string(size.width) + "x" + std::to_string(size.height);
    if (!only.empty() && only != sizeText) continue;
    const double span = size.width >= 3840 ? seconds4k : seconds;
    const int frames = static_cast<int>(span * fps + 0.5);
    const double toMs = fromMs + (frames - 1) * 1000.0 / fps;
    for (Mode mode : modes) {
      if (mode == Mode::kVideo && !video) continue;
      const fs::path out = scratch / "out";
      fs::remove_all(out);
      std::vector<std::string> args;
      switch (mode) {
        case Mode::kRenderOnly:
          args = {"--hashes", (scratch / "hashes.txt").string()};
          break;
        case Mode::kPng:
          args = {"--capture", out.string()};
          break;
        case Mode::kVideo:
          args = {"--video", (scratch / "out.mkv").string()};
          break;
      }
      char from[32], to[32];
      std::snprintf(from, sizeof from, "%.0f", fromMs);
      std::snprintf(to, sizeof to, "%.3f", toMs);
      args.insert(args.begin(), bin + "/vexil");
      args.insert(args.end(), {"--size", sizeText, "--fps", std::to_string(fps), "--from", from,
                               "--to", to, "--", "demo.xml"});
      const vexil_bench::MeasuredRun r = vexil_bench::RunMeasured(args, VEXIL_DEMO_DIR, timeoutS);
      std::printf("%-11s %-12s %7d %8.2f %9.2f %10.1f%s\n", sizeText.c_str(), ModeName(mode),
                  frames, r.ok ? frames / r.seconds : 0.0, r.cpuSeconds, r.peakMiB,
                  r.ok ? "" : (r.timedOut ? "  (timed out)" : "  (failed)"));
      allOk = allOk && r.ok;
      fs::remove_all(out);
      fs::remove(scratch / "hashes.txt");
      fs::remove(scratch / "out.mkv");
    }
  }
  fs::remove_all(scratch);
  double load[3] = {};
  if (getloadavg(load, 3) == 3) {
    std::printf("load average at the end: %.2f %.2f %.2f on %u cores\n", load[0], load[1], load[2],
                std::thread::hardware_concurrency());
  }
  return allOk ? 0 : 1;
}

// libFuzzer target for script loading: any bytes as a demo script, run as `vexil --check`
// runs one (the engine and effect plug-ins loaded, settings read, resources and modules built
// on the null device, the checker's findings), then frames rendered on that device at times
// across every module's span and past the end, as playback would reach them. The script's
// files are the bundled demo's pictures, mesh and music, copied into a work folder.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "command_line.h"
#include "player_app.h"

namespace {

namespace fs = std::filesystem;

// Enough frames to start, render and end every module of a small script; a large one gets
// its first modules' spans only, which keeps every input quick.
constexpr int kMaxModulesSampled = 8;
constexpr char kScriptFile[] = "script.xml";

// BUILD/fuzz-work/script holding copies of BUILD/demo's media; the target works in there.
void EnterWorkFolder() {
  const fs::path bin = CWidgetManager::GetEngineFolder();
  const fs::path build = bin.parent_path();
  const fs::path work = build / "fuzz-work" / "script";
  std::error_code ec;
  fs::create_directories(work, ec);
  for (const auto& entry : fs::directory_iterator(build / "demo", ec)) {
    const std::string extension = entry.path().extension().string();
    if (extension != ".png" && extension != ".x" && extension != ".ogg") continue;
    fs::copy_file(entry.path(), work / entry.path().filename(), fs::copy_options::skip_existing,
                  ec);
  }
  if (chdir(work.c_str()) != 0) {
    std::perror(work.c_str());
    std::abort();
  }
}

// The times a player would reach: each sampled module's start, middle and end, and a moment
// after the last end, in playback order.
std::vector<float> FrameTimes(const CTimeline& timeline) {
  std::vector<float> times;
  const int count = std::min(timeline.GetModuleCount(), kMaxModulesSampled);
  for (int i = 0; i < count; ++i) {
    const CModule* module = timeline.GetModule(i);
    const float start = module->GetStartTime();
    const float end = module->GetEndTime();
    times.push_back(start);
    times.push_back(start + (end - start) * 0.5f);
    times.push_back(end);
  }
  times.push_back(timeline.GetEndTime() + 1.0f);
  times.erase(std::remove_if(times.begin(), times.end(), [](float t) { return std::isnan(t); }),
              times.end());
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Message boxes go to stderr only; nothing opens a window or a sound device.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EnterWorkFolder();
  // Each run's widget manager loads and unloads the effect library; one more reference held
  // for the whole process keeps it mapped, so its coverage counters stay where the fuzzer
  // registered them.
  const std::string effects = CWidgetManager::GetEngineFolder() + "/libeffectpack.so";
  if (!dlopen(effects.c_str(), RTLD_NOW)) {
    std::fprintf(stderr, "%s\n", dlerror());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The player reads scripts from files, and refuses one with a zero byte before parsing.
  if (std::memchr(data, 0, size) != nullptr) return 0;
  FILE* file = std::fopen(kScriptFile, "wb");
  if (!file) std::abort();
  const bool written = std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) std::abort();

  vexil::PlayerOptions options;
  options.mode = vexil::PlayerMode::kCheck;
  options.script_path = kScriptFile;
  CPlayerApp app(options);
  app.Run();
  if (!app.GetDemo().demoDevice.m_pD3DDevice) return 0;
  CTimeline& timeline = app.GetDemo().timeline;
  for (float time : FrameTimes(timeline)) timeline.Render(time);
  return 0;
}

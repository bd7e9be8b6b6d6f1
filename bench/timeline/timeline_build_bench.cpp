// The cost of a timeline of many modules: CTimeline::Parse of N "clearscreen" modules on the
// null device (creating, parsing and initialising each, then the layer sort), with the layers
// falling through the script (every module sorts in front of the ones before it) and rising
// (already in order), and `vexil --check` of the same script as a whole process.
//
// CPU time on the development machine, falling layers:
//   modules   bubble sort (before)   stable sort (after)
//   100,000   50.7 s                 0.24 s
//   300,000   928 s                  0.85 s
// `vexil --check` of 100,000 modules: 68.9 s before, 0.8 s after (300,000: 2.5 s after).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "d3d9/null/d3d9_null.h"
#include "scenecore.h"

namespace {

namespace fs = std::filesystem;

// Layers spread over the 16-bit range, falling or rising with the script position. With
// `blurs`, every fourth module is a zoom blur instead of a clear.
std::string TimelineXml(int modules, bool falling, bool blurs = false) {
  std::string xml = "<timeline>";
  xml.reserve(static_cast<size_t>(modules) * 64 + 32);
  for (int i = 0; i < modules; ++i) {
    const long step = static_cast<long>(i) * 65535 / modules;
    const long layer = falling ? 32767 - step : step - 32768;
    const char* type = blurs && i % 4 == 0 ? "blur" : "clearscreen";
    xml += std::string("<m type=\"") + type + "\" start=\"0\" end=\"1000\" layer=\"" +
           std::to_string(layer) + "\"/>";
  }
  return xml + "</timeline>";
}

// The engine objects the player wires together, on the null device.
struct World {
  World() {
    d3d = VexilCreateNullDirect3D9();
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = TRUE;
    d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device);
    widgets.Load("scenecore.dll");
    widgets.Load("effectpack.dll");
    demo.SetD3D(d3d);
    demo.SetD3DDevice(device);
    demo.SetWidgetManager(&widgets);
    demo.SetResourceManager(&resources);
    demo.SetTextureManager(&textures);
    demo.m_width = 640;
    demo.m_height = 480;
    resources.SetDemoDevice(&demo);
    timeline.SetDemoDevice(&demo);
  }
  ~World() {
    // As the player ends: the device goes first, the modules with the widget manager.
    timeline.Free();
    CStateScope::m_pD3DDevice = nullptr;
    if (device) device->Release();
    if (d3d) d3d->Release();
  }
  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  CWidgetManager widgets;
  CDemoDevice demo;
  CResourceManager resources;
  CTextureManager textures;
  CTimeline timeline;
};

void BM_BuildTimeline(benchmark::State& state) {
  const int modules = static_cast<int>(state.range(0));
  const bool falling = state.range(1) != 0;
  TiXmlDocument document;
  document.Parse(TimelineXml(modules, falling).c_str());
  for (auto _ : state) {
    state.PauseTiming();
    auto world = std::make_unique<World>();
    state.ResumeTiming();
    world->timeline.Parse(document.RootElement());
    state.PauseTiming();
    if (world->timeline.GetModuleCount() != modules) state.SkipWithError("modules missing");
    world.reset();
    state.ResumeTiming();
  }
  state.SetLabel(falling ? "falling layers" : "rising layers");
  state.counters["modules"] = modules;
}
BENCHMARK(BM_BuildTimeline)
    ->ArgsProduct({{1000, 100000, 300000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// `vexil --check` of a script of N modules with falling layers, one in four a zoom blur (which
// the check places against the modules that set a material), as a whole process.
void BM_CheckScript(benchmark::State& state) {
  const int modules = static_cast<int>(state.range(0));
  std::string pattern = (fs::temp_directory_path() / "vexil-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    state.SkipWithError("cannot make a scratch folder");
    return;
  }
  const fs::path scratch = pattern;
  std::ofstream(scratch / "demo.xml")
      << "<demo name=\"bench\"><settings><width value=\"640\"/><height value=\"480\"/>"
         "</settings><libraries><l file=\"effectpack.dll\"/></libraries>"
      << TimelineXml(modules, true, true) << "</demo>";
  // VEXIL names another player to time (an older build, for a comparison).
  const char* program = std::getenv("VEXIL");
  const std::string command =
      "cd '" + scratch.string() + "' && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy '" +
      (program ? program : VEXIL_BIN_DIR "/vexil") + "' --check demo.xml >/dev/null 2>&1";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::system(command.c_str());
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["modules"] = modules;
  fs::remove_all(scratch);
}
BENCHMARK(BM_CheckScript)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(300000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

}  // namespace

BENCHMARK_MAIN();

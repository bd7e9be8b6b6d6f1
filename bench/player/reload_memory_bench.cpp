// Resident memory over many rebuilds of one demo, as edit mode rebuilds it on every save: each
// round builds the demo from its script on the running OpenGL device, draws a frame in each
// eighth of it, puts it in place of the last one (which is then freed), resets the device's
// state and gives the freed memory back as edit mode does. Whole-process figures, run by hand:
//
//   SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
//   build/bin/reload_memory_bench build/demo/demo.gma [rebuilds=300] [every=25] [keep]
//
// Prints after the first rebuild and every `every` rebuilds the resident set, the heap's bytes
// in use and free, the process's mappings and the device's live objects, then the rise from the
// first rebuild (when the libraries, fonts and device programs are all made once) to the last,
// and over the last half alone (a leak shows in both; a cache that fills once, in neither).
// "keep" leaves freed memory with the heap, to compare. Exit status 1 when a rebuild fails.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "d3d9/d3d9.h"
#include "d3d9/d3d9_reuse.h"
#include "display_setup.h"
#include "edit/demo_builder.h"
#include "edit/freed_memory.h"
#include "system/stop_signal.h"

namespace {

long ResidentKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return -1;
}

// Mappings of the process: libraries loaded again, or code the driver compiles, add to them.
int MappingCount() {
  std::ifstream maps("/proc/self/maps");
  int count = 0;
  for (std::string line; std::getline(maps, line);) ++count;
  return count;
}

IDirect3DDevice9* CreateDevice(IDirect3D9* d3d, int width, int height) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = static_cast<UINT>(width);
  pp.BackBufferHeight = static_cast<UINT>(height);
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* device = nullptr;
  if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))) {
    return nullptr;
  }
  return device;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: reload_memory_bench SCRIPT [rebuilds=300] [every=25] [keep]\n");
    return 2;
  }
  const std::string given = std::filesystem::absolute(argv[1]).string();
  const int rebuilds = argc > 2 ? std::atoi(argv[2]) : 300;
  const int every = argc > 3 ? std::max(1, std::atoi(argv[3])) : 25;
  const bool keep = argc > 4 && std::string(argv[4]) == "keep";
  // The demo plays from its own folder, as a person starts it.
  const std::string folder = std::filesystem::path(given).parent_path().string();
  if (chdir(folder.c_str()) != 0) {
    std::perror(folder.c_str());
    return 2;
  }
  const std::string script = std::filesystem::path(given).filename().string();

  // Before SDL starts, so that Ctrl-C and SIGTERM end the run instead of becoming quit events
  // nobody reads.
  vexil::CatchStopSignals();
  constexpr int kWidth = 640;
  constexpr int kHeight = 480;
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  IDirect3DDevice9* device = d3d ? CreateDevice(d3d, kWidth, kHeight) : nullptr;
  if (!device) {
    std::fprintf(stderr, "no OpenGL device (SDL_VIDEODRIVER=offscreen?)\n");
    return 2;
  }

  std::unique_ptr<vexil::DemoParts> playing;
  long first = 0;
  long half = 0;
  long last = 0;
  for (int i = 1; i <= rebuilds; ++i) {
    vexil::DemoBuild build = vexil::BuildDemo(script, ".", d3d, device, kWidth, kHeight);
    if (!build.ok()) {
      std::fprintf(stderr, "rebuild %d failed: %s\n", i,
                   build.problems.empty() ? "?" : build.problems.front().c_str());
      return 1;
    }
    // A frame in each scene, so that every effect, font and render target is made.
    const float end = build.demo->timeline.GetEndTime();
    for (int scene = 0; scene < 8; ++scene) {
      build.demo->timeline.Draw(end * (scene + 0.5f) / 8.0f);
      build.demo->timeline.Present();
    }
    // What the player does when edit mode swaps in a rebuilt demo.
    if (playing) playing->timeline.Free();
    playing = std::move(build.demo);
    playing->demoDevice.SetD3DDevice(device);
    VexilResetDeviceState(device);
    vexil::InstallCameraAndClear(device, kWidth, kHeight);
    if (!keep) vexil::ReturnFreedMemory();

    const long rss = ResidentKib();
    if (i == 1) first = rss;
    if (i == rebuilds / 2) half = rss;
    last = rss;
    if (i == 1 || i % every == 0 || i == rebuilds) {
      const struct mallinfo2 heap = mallinfo2();
      std::printf(
          "rebuild %4d  resident %8ld KiB  heap in use %8zu KiB  heap free %8zu KiB  "
          "mappings %4d  device objects %u\n",
          i, rss, heap.uordblks / 1024, heap.fordblks / 1024, MappingCount(),
          VexilCountLiveResources(device));
      std::fflush(stdout);
    }
  }
  std::printf(
      "rise over %d rebuilds: %+.2f MiB (first %.1f MiB, last %.1f MiB); "
      "over the last half: %+.2f MiB\n",
      rebuilds, (last - first) / 1024.0, first / 1024.0, last / 1024.0, (last - half) / 1024.0);
  playing.reset();
  device->Release();
  d3d->Release();
  return 0;
}

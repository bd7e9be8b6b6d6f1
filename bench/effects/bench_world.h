// The engine objects of a demo around a null or OpenGL device, wired as the player wires them,
// with generated textures registered by name, so that an effect module can be built from XML
// and its frames timed without files.
#pragma once

#include <string>

#include "d3d9/d3d9.h"
#include "scenecore.h"

namespace vexil_bench {

constexpr int kBenchWidth = 640;
constexpr int kBenchHeight = 480;

// The Direct3D object and device, released after everything made on them.
struct BenchDevice {
  ~BenchDevice();
  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
};

class BenchWorld {
 public:
  explicit BenchWorld(bool nullDevice);
  BenchWorld(const BenchWorld&) = delete;
  BenchWorld& operator=(const BenchWorld&) = delete;

  bool ok() const { return m_module != nullptr; }
  // Builds the one module of `timelineXml` (a "timeline" element); textures named "tex" (a
  // 256 x 256 picture) and "rt" (a 256 x 256 render target) are registered before.
  bool Load(const std::string& timelineXml);
  // Parses a "resources" element (before Load, for modules that look resources up).
  bool LoadResources(const std::string& resourcesXml);
  IDirect3DDevice9* device() const { return m_devices.device; }
  // One frame of the effect: clear, the module's Render, present; the null device's record of
  // calls is emptied now and then so it does not grow without end.
  void Frame();
  // The same at demo time t (ms), through the timeline, for effects that follow the clock.
  void FrameAt(float t);

 private:
  BenchDevice m_devices;  // first: destroyed last
  bool m_null;
  CWidgetManager m_widgets;
  CDemoDevice m_demo;
  CResourceManager m_resources;
  CTextureManager m_textures;
  CTimeline m_timeline;
  CModule* m_module = nullptr;
  int m_frames = 0;
};

}  // namespace vexil_bench

// The engine objects of a demo around a test device, wired as the player wires them.
#include "effect_world.h"

#include <stb/stb_image_write.h>
#include "../support/test_device.h"

DeviceHolder::DeviceHolder(bool gl, UINT width, UINT height) {
  d3d = gl ? Direct3DCreate9(31) : VexilCreateNullDirect3D9();
  if (!d3d) return;
  if (FAILED(CreateTestDevice(d3d, width, height, &device))) {
    device = nullptr;
  }
}

DeviceHolder::~DeviceHolder() {
  CStateScope::m_pD3DDevice = nullptr;
  if (device) device->Release();
  if (d3d) d3d->Release();
}

EffectWorld::EffectWorld(bool gl, UINT width, UINT height) : m_devices(gl, width, height) {
  if (!m_devices.device) {
    m_error = "no device";
    return;
  }
  if (!widgets.Load("scenecore.dll") || !widgets.Load("effectpack.dll")) {
    m_error = widgets.GetLastError();
    return;
  }
  demo.SetD3D(m_devices.d3d);
  demo.SetD3DDevice(m_devices.device);
  demo.SetResourceManager(&resources);
  demo.SetWidgetManager(&widgets);
  demo.SetTextureManager(&textures);
  demo.m_width = static_cast<int32_t>(width);
  demo.m_height = static_cast<int32_t>(height);
  resources.SetDemoDevice(&demo);
  timeline.SetDemoDevice(&demo);
  m_ok = true;
}

namespace {

bool ParseInto(CXmlHandler* handler, const std::string& xml) {
  TiXmlDocument document;
  document.Parse(xml.c_str());
  if (document.Error() || !document.RootElement()) return false;
  handler->Parse(document.RootElement());
  return true;
}

}  // namespace

bool EffectWorld::LoadResources(const std::string& xml) {
  return ParseInto(&resources, xml);
}

bool EffectWorld::LoadTimeline(const std::string& xml) {
  return ParseInto(&timeline, xml);
}

const std::vector<VexilRecordedCall>& EffectWorld::calls() const {
  static const std::vector<VexilRecordedCall> kNone;
  const std::vector<VexilRecordedCall>* recorded = VexilNullRecordedCalls(m_devices.device);
  return recorded ? *recorded : kNone;
}

void EffectWorld::ClearCalls() {
  VexilNullClearRecordedCalls(m_devices.device);
}

bool EffectWorld::ReadBackBuffer(std::vector<uint8_t>* rgba, UINT* width, UINT* height) {
  IDirect3DSurface9* back = nullptr;
  if (FAILED(device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return false;
  const bool ok = SUCCEEDED(VexilReadSurfaceRGBA(back, rgba, width, height));
  back->Release();
  return ok;
}

Rgba PixelAt(const std::vector<uint8_t>& rgba, UINT width, UINT x, UINT y) {
  const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
  return {rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]};
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, UINT width, UINT height) {
  return stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 4,
                        rgba.data(), static_cast<int>(width) * 4) != 0;
}

// fontconfig keeps a block from parsing its configuration for the whole process, which
// LeakSanitizer reports as lost; it belongs to the system library, not to the code under test.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

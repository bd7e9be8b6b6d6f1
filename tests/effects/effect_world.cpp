// The engine objects of a demo around a test device, wired as the player wires them.
#include "effect_world.h"

DeviceHolder::~DeviceHolder() {
  CStateScope::m_pD3DDevice = nullptr;
}

EffectWorld::EffectWorld(bool gl, UINT width, UINT height)
    : m_devices(gl ? vexil::test::Backend::kGl : vexil::test::Backend::kNull, width, height) {
  if (!m_devices.ok()) {
    m_error = "no device";
    return;
  }
  if (!widgets.Load("scenecore.dll") || !widgets.Load("effectpack.dll")) {
    m_error = widgets.GetLastError();
    return;
  }
  demo.SetD3D(m_devices.d3d());
  demo.SetD3DDevice(m_devices.device());
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
  const std::vector<VexilRecordedCall>* recorded = VexilNullRecordedCalls(m_devices.device());
  return recorded ? *recorded : kNone;
}

void EffectWorld::ClearCalls() {
  VexilNullClearRecordedCalls(m_devices.device());
}

bool EffectWorld::ReadBackBuffer(std::vector<uint8_t>* rgba, UINT* width, UINT* height) {
  IDirect3DSurface9* back = nullptr;
  if (FAILED(device()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return false;
  const bool ok = SUCCEEDED(VexilReadSurfaceRGBA(back, rgba, width, height));
  back->Release();
  return ok;
}

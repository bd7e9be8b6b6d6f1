// "clearscreen" module: one Clear of the whole viewport per frame, no scene and no states.
#include "clearscreen_module.h"

#include "device_access.h"

namespace effects {

CClearScreenModule::CClearScreenModule() : CModule(0.0f, 0.0f, 0), m_color(0u), m_noZBuffer(0) {
  AddValue(&m_color, "color");
  AddValue(&m_noZBuffer, "nozbuffer");
}

void CClearScreenModule::Render() {
  IDirect3DDevice9* device = DeviceOf(m_pDemoDevice);
  if (!device) return;
  const DWORD flags = static_cast<int32_t>(m_noZBuffer) != 0
                          ? static_cast<DWORD>(D3DCLEAR_TARGET)
                          : static_cast<DWORD>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  device->Clear(0, nullptr, flags, static_cast<uint32_t>(m_color), 1.0f, 0);
}

}  // namespace effects

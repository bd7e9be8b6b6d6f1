// The demo's device holder. It releases nothing: the player owns the device, the Direct3D
// object and the managers and destroys them itself.
#include "timeline/demodevice.h"

#include "timeline/statescope.h"

CDemoDevice::~CDemoDevice() = default;

void CDemoDevice::SetD3DDevice(IDirect3DDevice9* device) {
  m_pD3DDevice = device;
  CStateScope::m_pD3DDevice = device;
}

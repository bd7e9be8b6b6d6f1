// The device every effect draws with. What an effect makes on it, it holds in vexil::Com
// (d3d9/com_ptr.h), which releases it.
#pragma once

#include "d3d9/d3d9.h"
#include "scenecore.h"

namespace effects {

// The Direct3D device behind the demo device, or null while a module has none (built by
// --check, or before the player attached one).
inline IDirect3DDevice9* DeviceOf(const CDemoDevice* demo) {
  return demo ? static_cast<IDirect3DDevice9*>(*demo) : nullptr;
}

}  // namespace effects

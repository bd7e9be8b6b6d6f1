// Small helpers every effect uses to reach the device and to let go of what it made on it.
#pragma once

#include "d3d9/d3d9.h"
#include "scenecore.h"

namespace effects {

// The Direct3D device behind the demo device, or null while a module has none (built by
// --check, or before the player attached one).
inline IDirect3DDevice9* DeviceOf(const CDemoDevice* demo) {
  return demo ? static_cast<IDirect3DDevice9*>(*demo) : nullptr;
}

// Releases an interface the effect owns and forgets it, so that a second Init or the
// destructor cannot release it twice.
template <class Interface>
void ReleaseOwned(Interface*& owned) {
  if (owned) owned->Release();
  owned = nullptr;
}

}  // namespace effects

// Rebinding of the reference-holding slots of the device (bound textures, stream, indices,
// targets): the new object is referenced before the old one is released.
#pragma once

namespace vexil::d3d9 {

template <class T>
inline void Rebind(T*& slot, T* value) {
  if (slot == value) return;
  if (value) value->AddRef();
  T* old = slot;
  slot = value;
  if (old) old->Release();
}
}  // namespace vexil::d3d9

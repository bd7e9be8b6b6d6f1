// Vexil's extensions for playing several demos in turn on one device (a player reloading the
// demo being edited). Not part of Direct3D 9; both backends implement them.
#pragma once

#include "d3d9/d3d9.h"

// Gives the device the state of a new device: every render, sampler and stage state, transform,
// light and material at its default, no texture or buffer bound, the back buffer and the
// automatic depth buffer as targets. Resources stay as they are.
HRESULT VexilResetDeviceState(IDirect3DDevice9* pDevice);

// The number of resources (textures, surfaces, buffers) the device has made that still live,
// its own back buffer and depth buffer included: a tool can see that nothing accumulates.
UINT VexilCountLiveResources(IDirect3DDevice9* pDevice);

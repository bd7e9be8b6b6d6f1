// Umbrella header of the D3DX stand-in: math, and (with the Direct3D 9 interfaces) textures,
// meshes and fonts. Effects include this one header, as they would include D3DX's.
#pragma once

#include "d3dx9/d3dx9math.h"

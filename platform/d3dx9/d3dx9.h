// Umbrella header of the D3DX stand-in: math, textures, meshes and fonts over the
// Direct3D 9 interfaces. Effects include this one header, as they would include D3DX's.
#pragma once

#include "d3dx9/d3dx9buffer.h"
#include "d3dx9/d3dx9err.h"
#include "d3dx9/d3dx9font.h"
#include "d3dx9/d3dx9math.h"
#include "d3dx9/d3dx9mesh.h"
#include "d3dx9/d3dx9tex.h"

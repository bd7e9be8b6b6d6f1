// The lighting of the lit tube effects (twister, metaballs): one white directional light and a
// white material with a dim grey ambient, specular from the material when asked for.
#pragma once

#include "d3d9/d3d9.h"
#include "d3dx9/d3dx9.h"
#include "scenecore.h"

namespace effects {

// Sets light 0 and the material directly on the device and the lighting states through
// `scope`. The material's ambient alpha differs between the effects that share this look
// (twister 0.2, metaballs 1.0); it is passed so that each keeps its own.
void SetWhiteLighting(IDirect3DDevice9* device, CStateScope* scope, const D3DXVECTOR3& towards,
                      bool specular, float ambientAlpha);

}  // namespace effects

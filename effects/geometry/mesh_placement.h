// How the mesh viewer sizes and places a mesh, without a device: the size factor that brings
// every mesh to a common size, and the world matrix built from the keyframed placement.
#pragma once

#include "d3dx9/d3dx9math.h"

namespace effects {

// k = 25 / (the largest of the box maximum's x, y and z), so a mesh reaching 12.5 gets 2.
// Where that largest maximum is not positive (a mesh wholly on the negative side), the
// largest absolute coordinate of the box stands in for it; a box of nothing but the origin
// (or not finite) gives 1.
float MeshSizeFactor(const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax);

struct MeshPlacement {
  D3DXVECTOR3 pivot{0.0f, 0.0f, 0.0f};
  D3DXVECTOR3 scale{1.0f, 1.0f, 1.0f};  // per axis, used while uniformScale is 0
  float uniformScale = 0.0f;
  float pitch = 0.0f, yaw = 0.0f, roll = 0.0f;  // radians: x, y and z rotation
  D3DXVECTOR3 stretch{1.0f, 1.0f, 1.0f};        // per axis, used while uniformStretch is 0
  float uniformStretch = 0.0f;
  D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
};

// P x S1 x R x S2 x T (row vectors, the pivot applied first): the pivot offset, the scale
// times k, the turn (yaw, pitch, roll through a quaternion), the stretch, the position.
D3DXMATRIX MeshWorldMatrix(float k, const MeshPlacement& placement);

}  // namespace effects

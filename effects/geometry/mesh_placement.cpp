// Size factor and world matrix of the mesh viewer.
#include "mesh_placement.h"

#include <algorithm>
#include <cmath>

namespace effects {

namespace {

constexpr float kCommonSize = 25.0f;

}  // namespace

float MeshSizeFactor(const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax) {
  const float largest = std::max({boxMax.x, boxMax.y, boxMax.z});
  if (largest > 0.0f && std::isfinite(largest)) return kCommonSize / largest;
  float extent = 0.0f;
  for (float v : {boxMin.x, boxMin.y, boxMin.z, boxMax.x, boxMax.y, boxMax.z}) {
    extent = std::max(extent, std::fabs(v));
  }
  if (extent > 0.0f && std::isfinite(extent)) return kCommonSize / extent;
  return 1.0f;
}

D3DXMATRIX MeshWorldMatrix(float k, const MeshPlacement& p) {
  D3DXMATRIX pivot, scale, rotation, stretch, translation, world;
  D3DXMatrixTranslation(&pivot, p.pivot.x, p.pivot.y, p.pivot.z);
  if (p.uniformScale != 0.0f) {
    const float s = k * p.uniformScale;
    D3DXMatrixScaling(&scale, s, s, s);
  } else {
    D3DXMatrixScaling(&scale, k * p.scale.x, k * p.scale.y, k * p.scale.z);
  }
  D3DXQUATERNION turn;
  D3DXQuaternionRotationYawPitchRoll(&turn, p.yaw, p.pitch, p.roll);
  D3DXMatrixRotationQuaternion(&rotation, &turn);
  if (p.uniformStretch != 0.0f) {
    D3DXMatrixScaling(&stretch, p.uniformStretch, p.uniformStretch, p.uniformStretch);
  } else {
    D3DXMatrixScaling(&stretch, p.stretch.x, p.stretch.y, p.stretch.z);
  }
  D3DXMatrixTranslation(&translation, p.position.x, p.position.y, p.position.z);
  D3DXMatrixMultiply(&world, &pivot, &scale);
  D3DXMatrixMultiply(&world, &world, &rotation);
  D3DXMatrixMultiply(&world, &world, &stretch);
  D3DXMatrixMultiply(&world, &world, &translation);
  return world;
}

}  // namespace effects

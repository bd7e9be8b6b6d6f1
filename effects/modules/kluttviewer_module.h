// "kluttviewer": draws a mesh of a "klutt" resource with its own materials and textures under
// one directional light, placed every frame by keyframed pivot, scale, turn and position.
#pragma once

#include "d3dx9/d3dx9.h"
#include "scenecore.h"

namespace effects {

class CKluttViewerModule : public CModule {
 public:
  CKluttViewerModule();

  void Init() override;
  void Render() override;

  // The size factor of the mesh, 1 until Init has measured it.
  float GetSizeFactor() const { return m_sizeFactor; }

 private:
  CValueString m_mesh;
  CValueLong m_shading;
  CValueLong m_mapping;
  CValueLong m_fillMode;
  CValueLong m_culling;
  CValueLong m_light;
  CValueLong m_clearZBuffer;
  CValueVarColor m_lightColor;
  CValueLong m_useTexture;
  CValueVarFloat m_xRotation, m_yRotation, m_zRotation;
  CValueVarFloat m_xScale, m_yScale, m_zScale;
  CValueVarFloat m_scale;
  CValueVarFloat m_xStretch, m_yStretch, m_zStretch;
  CValueVarFloat m_stretch;
  CValueVarFloat m_x, m_y, m_z;
  CValueVarFloat m_xPivot, m_yPivot, m_zPivot;

  // Lent by the klutt resource, which owns them.
  ID3DXMesh* m_pMesh = nullptr;
  DWORD m_materialCount = 0;
  D3DMATERIAL9* m_pMaterials = nullptr;
  IDirect3DTexture9** m_ppTextures = nullptr;
  D3DSHADEMODE m_shadeMode = D3DSHADE_FLAT;
  float m_sizeFactor = 1.0f;
};

}  // namespace effects

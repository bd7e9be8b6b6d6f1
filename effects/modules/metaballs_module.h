// "metaballs": a lit, textured blob surface of four moving point sources, extracted every
// frame with marching cubes on a 16 x 16 x 16 grid.
#pragma once

#include <memory>

#include "geometry/metaball_surface.h"
#include "scenecore.h"

namespace effects {

class CMetaballsModule : public CModule {
 public:
  CMetaballsModule();
  ~CMetaballsModule() override;

  void Init() override;
  void Render() override;

 private:
  CValueString m_texture;
  CValueLong m_specular;
  CValueVarVec3 m_eyePoint;
  CValueVarVec3 m_lookAtPoint;
  CValueVarVec3 m_lightDirection;
  CValueVarVec2 m_texOffset;

  std::unique_ptr<MetaballSurface> m_surface;
  IDirect3DVertexBuffer9* m_vertexBuffer = nullptr;  // owned
  IDirect3DTexture9* m_pTexture = nullptr;           // lent by the texture manager
};

}  // namespace effects

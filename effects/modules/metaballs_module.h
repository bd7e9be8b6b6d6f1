// "metaballs": a lit, textured blob surface of four moving point sources, extracted every
// frame with marching cubes on a 16 x 16 x 16 grid.
#pragma once

#include <memory>

#include "d3d9/com_ptr.h"
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

  // Uploads the last Build's triangles into m_vertexBuffer, making it larger first when they
  // do not fit; false when there is no buffer to draw from.
  bool Upload(IDirect3DDevice9* device, UINT triangles);

  // Rebuilt from the time alone at every Render and uploaded at once, so every metaballs
  // module of the process shares one.
  std::shared_ptr<MetaballSurface> m_surface;
  // Sized to the most triangles drawn so far (none before the first Render), not to the
  // most the grid can yield: the module's balls take about a twentieth of that.
  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;
  UINT m_bufferTriangles = 0;
  IDirect3DTexture9* m_pTexture = nullptr;  // lent by the texture manager
};

}  // namespace effects

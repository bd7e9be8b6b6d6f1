// "splinetunnel": a flight through a winding, fogged tube grown from a seeded random path and
// smoothed with Hermite splines; the camera rides the path with a light travelling ahead.
#pragma once

#include "d3d9/com_ptr.h"
#include "geometry/spline_tube.h"
#include "scenecore.h"

namespace effects {

class CSplineTunnelModule : public CModule {
 public:
  CSplineTunnelModule();

  void Init() override;
  void Render() override;

 private:
  CValueFloat m_fogStart;
  CValueFloat m_fogEnd;
  CValueColor m_fogColor;
  CValueString m_texture;
  CValueLong m_seed;
  CValueLong m_rings;
  CValueFloat m_space;
  CValueLong m_ringPoints;  // accepted from scripts; the outline's point count rules
  CValueFloat m_baseRadius;
  CValueLong m_randRadius;
  CValueFloat m_time;
  CValueLong m_ringSplinePoints;
  CValueLong m_spaceSplinePoints;
  CValueArrayVec3 m_shape;

  // Built at Init and fixed from then on: the settings that shape it are not read again.
  SplineTube m_tube;
  vexil::Com<IDirect3DVertexBuffer9> m_vertexBuffer;
  IDirect3DTexture9* m_pTexture = nullptr;  // lent by the texture manager
};

}  // namespace effects

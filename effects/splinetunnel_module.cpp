// "splinetunnel" module: its settings. The path, tube builder and flight join here.
#include "splinetunnel_module.h"

namespace effects {

CSplineTunnelModule::CSplineTunnelModule()
    : CModule(0.0f, 0.0f, 0),
      m_fogStart(0.0f),
      m_fogEnd(0.0f),
      m_fogColor(0u),
      m_texture(""),
      m_seed(100),
      m_rings(100),
      m_space(10.0f),
      m_ringPoints(5),
      m_baseRadius(1.0f),
      m_randRadius(40),
      m_time(60.0f),
      m_ringSplinePoints(5),
      m_spaceSplinePoints(3) {
  Register(this, &m_fogStart, "fogstart");
  Register(this, &m_fogEnd, "fogend");
  Register(this, &m_fogColor, "fogcolor");
  Register(this, &m_texture, "texture");
  Register(this, &m_seed, "seed");
  Register(this, &m_rings, "rings");
  Register(this, &m_space, "space");
  Register(this, &m_ringPoints, "ringpoints");
  Register(this, &m_baseRadius, "baseradius");
  Register(this, &m_randRadius, "randradius");
  Register(this, &m_time, "time");
  Register(this, &m_ringSplinePoints, "ringsplinepoints");
  Register(this, &m_spaceSplinePoints, "spacesplinepoints");
  Register(this, &m_shape, "shape");
}

}  // namespace effects

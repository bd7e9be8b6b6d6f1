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
  AddValue(&m_fogStart, "fogstart");
  AddValue(&m_fogEnd, "fogend");
  AddValue(&m_fogColor, "fogcolor");
  AddValue(&m_texture, "texture", EValueRefers::Texture);
  AddValue(&m_seed, "seed");
  AddValue(&m_rings, "rings");
  AddValue(&m_space, "space");
  AddValue(&m_ringPoints, "ringpoints");
  AddValue(&m_baseRadius, "baseradius");
  AddValue(&m_randRadius, "randradius");
  AddValue(&m_time, "time");
  AddValue(&m_ringSplinePoints, "ringsplinepoints");
  AddValue(&m_spaceSplinePoints, "spacesplinepoints");
  AddValue(&m_shape, "shape");
}

}  // namespace effects

// "torusknot" module: settings only; rendering reads p and q and draws nothing.
#include "torusknot_module.h"

namespace effects {

CTorusKnotModule::CTorusKnotModule()
    : CModule(0.0f, 0.0f, 0), m_p(3), m_q(8), m_pSegment(10), m_qSegment(6) {
  AddValue(&m_p, "p");
  AddValue(&m_q, "q");
  AddValue(&m_shape, "shape");
  AddValue(&m_pSegment, "psegment");
  AddValue(&m_qSegment, "qsegment");
}

void CTorusKnotModule::Init() {}

void CTorusKnotModule::Render() {
  // The knot's parameters are evaluated like those of a drawing effect, so their parameters
  // behave alike; no geometry is made from them.
  static_cast<void>(static_cast<int32_t>(m_q));
  static_cast<void>(static_cast<int32_t>(m_p));
}

}  // namespace effects

// "torusknot": declares the settings of a (p, q) torus knot but builds and draws nothing; a
// script may place it on the timeline and the frame shows only the other modules.
#pragma once

#include "scenecore.h"

namespace effects {

class CTorusKnotModule : public CModule {
 public:
  CTorusKnotModule();

  void Init() override;
  void Render() override;

 private:
  CValueLong m_p;
  CValueLong m_q;
  CValueLong m_pSegment;
  CValueLong m_qSegment;
  CValueArrayVec2 m_shape;
};

}  // namespace effects

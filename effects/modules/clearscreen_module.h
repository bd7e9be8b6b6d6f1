// "clearscreen": clears the render target (and the depth buffer unless told not to) to a
// colour; scripts put it on a low layer so that later layers draw over a clean screen.
#pragma once

#include "scenecore.h"

namespace effects {

class CClearScreenModule : public CModule {
 public:
  CClearScreenModule();

  void Render() override;

 private:
  CValueVarColor m_color;
  // 0: clear colour and depth; anything else: colour only.
  CValueLong m_noZBuffer;
};

}  // namespace effects

// "checker": fills the viewport with a checkerboard of two colours, `cells` squares across.
// Both colours are values, so a script can fade or flash them with keyed parameters.
#pragma once

#include <scenecore.h>

class CCheckerModule : public CModule {
 public:
  CCheckerModule();

  void Render() override;

 private:
  CValueVarColor m_colorA;  // the top-left square and every second one after it
  CValueVarColor m_colorB;
  CValueLong m_cells;  // squares along the width; rows follow to keep them square
};

// The aspect ratio of the display, which the three-dimensional effects give their perspective.
#pragma once

#include "scenecore.h"

namespace effects {

// Display width over height; 4:3 (the virtual screen's) while no display height is known, so
// that a projection never divides by zero.
inline float DisplayAspect(const CDemoDevice& demo) {
  if (demo.m_height <= 0) return 640.0f / 480.0f;
  return static_cast<float>(demo.m_width) / static_cast<float>(demo.m_height);
}

}  // namespace effects

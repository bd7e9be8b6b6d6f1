// The frames the effect benchmarks draw: each effect at its defaults where they draw (the
// twister needs an outline, an axis and a camera: a 16-point tube of 100 segments), as script
// text for the modules and as the numbers the raw OpenGL versions repeat.
#pragma once

#include <string>
#include <vector>

#include "d3dx9/d3dx9math.h"

namespace vexil_bench {

enum class BenchEffect { kBlur, kTexScreen, kTwister, kTorusTunnel };

const char* BenchEffectName(BenchEffect effect);
// A "timeline" element holding the effect's module.
std::string BenchTimeline(BenchEffect effect);

// The twister's tube: a circle of 16 points, 100 segments, seen from (0, 0, -8).
constexpr int kTwisterSegments = 100;
std::vector<D3DXVECTOR2> TwisterOutline();  // element order (element 0 first)
const D3DXVECTOR3 kTwisterAxisStart(0.0f, 3.0f, 0.0f);
const D3DXVECTOR3 kTwisterAxisEnd(0.0f, -3.0f, 0.0f);
const D3DXVECTOR3 kTwisterEye(0.0f, 0.0f, -8.0f);
constexpr float kTwisterEndTwist = 1.0f;

// Texscreen's bend and turn.
constexpr float kTexScreenBend = 20.0f;
constexpr float kTexScreenTurn = 30.0f;

}  // namespace vexil_bench

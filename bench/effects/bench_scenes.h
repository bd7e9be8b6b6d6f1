// The frames the effect benchmarks draw: each effect at its defaults where they draw (the
// twister needs an outline, an axis and a camera: a 16-point tube of 100 segments), as script
// text for the modules and as the numbers the raw OpenGL versions repeat.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3dx9/d3dx9math.h"

namespace vexil_bench {

enum class BenchEffect {
  kBlur,
  kTexScreen,
  kTwister,
  kTorusTunnel,
  kMetaballs,
  kSplineTunnel,
  kTrailTube,
  kMeshViewer
};

const char* BenchEffectName(BenchEffect effect);
// A "timeline" element holding the effect's module.
std::string BenchTimeline(BenchEffect effect);
// A "resources" element the effect needs (the mesh viewer's cube), or empty.
std::string BenchResources(BenchEffect effect);
// True for the effects whose frame follows the demo clock; their frames step through time at
// 60 a second (BenchNextTime), the others always draw time 0.
bool BenchTimed(BenchEffect effect);
float BenchNextTime(BenchEffect effect, float t);

// The 256 x 256 picture registered as "tex", as A8R8G8B8 texels.
std::vector<uint32_t> BenchPicture();

// The twister's tube: a circle of 16 points, 100 segments, seen from (0, 0, -8).
constexpr int kTwisterSegments = 100;
std::vector<D3DXVECTOR2> TwisterOutline();  // element order (element 0 first)
const D3DXVECTOR3 kTwisterAxisStart(0.0f, 3.0f, 0.0f);
const D3DXVECTOR3 kTwisterAxisEnd(0.0f, -3.0f, 0.0f);
const D3DXVECTOR3 kTwisterEye(0.0f, 0.0f, -8.0f);
constexpr float kTwisterEndTwist = 1.0f;

// The metaballs' camera; the spline tunnel's octagon outline (in the order the tube takes
// it, which is the reverse of the script's); the mesh viewer's cube (.x made by
// vexil-xmeshgen, half size 12.5, textured with the picture) and its turn.
const D3DXVECTOR3 kMetaballsEye(0.0f, 0.0f, -45.0f);
std::vector<D3DXVECTOR2> TunnelOutline();
std::string BenchCubePath();
constexpr float kMeshPitch = 0.6f;
constexpr float kMeshYaw = 0.8f;

// Texscreen's bend and turn.
constexpr float kTexScreenBend = 20.0f;
constexpr float kTexScreenTurn = 30.0f;

}  // namespace vexil_bench

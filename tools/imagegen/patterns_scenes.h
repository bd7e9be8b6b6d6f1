// The pattern functions of the demo's scenes, registered by name in patterns.cpp: surfaces
// for the 3D effects (patterns_surfaces.cpp) and backdrops and overlays
// (patterns_overlays.cpp).
#pragma once

#include "patterns.h"

namespace imagegen {

Color Neon(float u, float v, int w, int h);
Color Plates(float u, float v, int w, int h);
Color Chrome(float u, float v, int w, int h);
Color Lattice(float u, float v, int w, int h);
Color Bands(float u, float v, int w, int h);
Color Ember(float u, float v, int w, int h);

Color Dusk(float u, float v, int w, int h);
Color Stars(float u, float v, int w, int h);
Color Streak(float u, float v, int w, int h);
Color Black(float u, float v, int w, int h);
Color White(float u, float v, int w, int h);
Color Vignette(float u, float v, int w, int h);

}  // namespace imagegen

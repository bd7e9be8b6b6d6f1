// The device set-up of the player's display: the present parameters chosen from the
// settings, and the fixed camera with the first clear of the screen.
#pragma once

#include "d3d9/d3d9.h"
#include "player_settings.h"

namespace vexil {

// Full screen: the settings' size, X8R8G8B8 and three back buffers. Windowed: size 0 (the
// window's client area) in the desktop's format. Both discard, with a D16 depth buffer and
// vsync exactly when the frame-rate limiter is on.
D3DPRESENT_PARAMETERS MakePresentParameters(const PlayerSettings& settings,
                                            D3DFORMAT desktop_format);

// Headless rendering (capture, check): a windowed back buffer of the settings' exact size,
// since there is no window to take a size from, presented immediately.
D3DPRESENT_PARAMETERS MakeHeadlessPresentParameters(const PlayerSettings& settings);

// Sets the fixed view (eye at z -2.4 looking at the origin) and the projection (45 degrees
// vertically, the aspect of width/height, near 1, far 1000) and clears the target to black.
void InstallCameraAndClear(IDirect3DDevice9* device, int width, int height);

}  // namespace vexil

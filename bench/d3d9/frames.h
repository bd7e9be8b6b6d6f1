// The two ways of drawing the benchmark frame: through the D3D9 layer (GL or null device)
// and as hand-written OpenGL 3.3 calls. Each draws one frame per call and waits for it.
#pragma once

#include <memory>

namespace vexil_bench {

class FrameDrawer {
 public:
  virtual ~FrameDrawer() = default;
  virtual void DrawFrame() = 0;
};

// null: false for the GL device, true for the null device (the layer's CPU cost alone).
std::unique_ptr<FrameDrawer> MakeLayerFrame(bool nullDevice);
std::unique_ptr<FrameDrawer> MakeRawGlFrame();

}  // namespace vexil_bench

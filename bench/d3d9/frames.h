// The ways of drawing the benchmark frames: through the D3D9 layer (GL or null device) and as
// hand-written OpenGL 3.3 calls. Each draws one frame per call and waits for it.
#pragma once

#include <memory>

#include "d3d9/d3d9.h"

namespace vexil_bench {

enum class BenchFrame {
  kGrid,         // (a) lit, textured grid: ten batches with a render-state change before each
  kDynamicTube,  // (b) lit, fogged, textured tube rewritten every frame
  kManyQuads,    // (c) 400 quads: buffer write, transform, state changes and a scene each
};
constexpr BenchFrame kBenchFrames[] = {BenchFrame::kGrid, BenchFrame::kDynamicTube,
                                       BenchFrame::kManyQuads};
const char* BenchFrameName(BenchFrame frame);

class FrameDrawer {
 public:
  virtual ~FrameDrawer() = default;
  virtual bool ok() const = 0;
  virtual void DrawFrame() = 0;
  // The layer's device (null for the raw OpenGL frames), for picture dumps.
  virtual IDirect3DDevice9* device() const { return nullptr; }
};

// nullDevice: false for the GL device, true for the null device (the layer's CPU cost alone).
std::unique_ptr<FrameDrawer> MakeLayerFrame(BenchFrame frame, bool nullDevice);
std::unique_ptr<FrameDrawer> MakeRawGlFrame(BenchFrame frame);

}  // namespace vexil_bench

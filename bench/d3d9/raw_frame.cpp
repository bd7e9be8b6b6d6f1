// The raw OpenGL version of each benchmark frame.
#include "raw_frame.h"

namespace vexil_bench {

std::unique_ptr<FrameDrawer> MakeRawGlFrame(BenchFrame frame) {
  switch (frame) {
    case BenchFrame::kGrid:
      return MakeRawGrid();
    case BenchFrame::kDynamicTube:
      return MakeRawTube();
    case BenchFrame::kManyQuads:
      return MakeRawQuads();
  }
  return nullptr;
}

}  // namespace vexil_bench

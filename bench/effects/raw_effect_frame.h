// The effect frames as hand-written OpenGL 3.3 (bench/support/raw_gl.h gives the context), the
// benchmark's textures as GL textures, and D3D row-vector matrices turned into what the shaders
// multiply with.
#pragma once

#include <memory>

#include "d3dx9/d3dx9math.h"
#include "raw_gl.h"

namespace vexil_bench {

// The layer world's back buffer has a D16 depth buffer: the raw frames draw into the same.
constexpr GLenum kRawDepthFormat = GL_DEPTH_COMPONENT16;

// Clears the bound frame to opaque black and depth 1, as the layer world's frame starts.
void ClearRawFrame();

// The 256 x 256 benchmark picture (the layer world's "tex"), linear magnification.
GLuint PictureTexture();
// A 256 x 256 black texture, like the layer world's render target "rt".
GLuint BlackTexture();

// One effect frame drawn with raw OpenGL calls (the context current and the frame bound).
class RawEffectFrame {
 public:
  virtual ~RawEffectFrame() = default;
  // Draws the frame at demo time t (ms); effects that do not follow the clock ignore it.
  virtual void Draw(float t) = 0;
};

std::unique_ptr<RawEffectFrame> MakeRawBlur();
std::unique_ptr<RawEffectFrame> MakeRawTexScreen();
std::unique_ptr<RawEffectFrame> MakeRawTwister();
std::unique_ptr<RawEffectFrame> MakeRawTorusTunnel();
// The 3D effects of the second group share one hand-written lighting program.
std::unique_ptr<RawEffectFrame> MakeRawMetaballs();
std::unique_ptr<RawEffectFrame> MakeRawSplineTunnel();
std::unique_ptr<RawEffectFrame> MakeRawTrailTube();
std::unique_ptr<RawEffectFrame> MakeRawMeshViewer();

// The world-view-projection product as the shaders take it: D3D's row-vector matrix uploaded
// as it lies in memory is the column-major matrix that multiplies column vectors.
inline void SetMatrix(GLint location, const D3DXMATRIX& m) {
  glUniformMatrix4fv(location, 1, GL_FALSE, &m._11);
}

}  // namespace vexil_bench

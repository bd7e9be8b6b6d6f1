// The OpenGL 3.3 backend of the device: every target (the back buffer included) is a
// framebuffer object rendered upside down so render-target textures sample upright; the
// fixed-function state becomes generated programs fed by three uniform blocks (transforms,
// vertex and pixel constants), and sampler states become GL sampler objects cached by key.
#pragma once

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

#include "d3d9/device.h"
#include "d3d9/direct3d.h"
#include "d3d9/gl/ffp_constants.h"
#include "d3d9/gl/ffp_key.h"
#include "d3d9/gl/ffp_program_cache.h"
#include "d3d9/gl/gl_context.h"
#include "d3d9/gl/gl_readback_ring.h"
#include "d3d9/key_hash.h"

namespace vexil::d3d9 {

class GlDirect3D final : public Direct3D {
 public:
  // Holds one reference to the platform's video system, taken by Direct3DCreate9.
  GlDirect3D(std::vector<D3DDISPLAYMODE> modes, const D3DDISPLAYMODE& desktop)
      : Direct3D(std::move(modes), desktop) {}
  ~GlDirect3D() override;

 protected:
  HRESULT MakeDevice(HWND window, const D3DPRESENT_PARAMETERS& params,
                     IDirect3DDevice9** ppDevice) override;
};

// The GL storage of a D3D depth format, where it attaches and its depth bits.
struct DepthFormat {
  GLenum internalFormat, attachment;
  int bits;
};
DepthFormat GlDepthFormat(D3DFORMAT format);
#ifdef VEXIL_GLES
// Turns rows converted to D3D's B, G, R, A bytes into the R, G, B, A bytes GL ES uploads
// take, with alpha 255 for formats that have none (GL ES cannot swizzle it to one).
void BgraToUploadRows(D3DFORMAT format, uint8_t* pixels, size_t bytes);
#endif

class GlDevice final : public Device {
 public:
  GlDevice(IDirect3D9* direct3d, const D3DPRESENT_PARAMETERS& params, UINT width, UINT height,
           std::unique_ptr<GlContext> context);
  ~GlDevice() override;
  HRESULT Init();
  // Windowed = FALSE on an application window: take the display as D3D9 does.
  void EnterFullscreen(const D3DPRESENT_PARAMETERS& params);

  HRESULT SetFrameReader(VexilFrameReader reader, void* user) override;
  HRESULT SetFrameReaderDepth(UINT depth, UINT* granted) override;
  HRESULT FlushFrameReader() override;
  void FreeGpuObjects(ResourceCore* resource) override;
  HRESULT AllocateGpuObjects(ResourceCore* resource) override;
  HRESULT ReadBackTextureLevel(Texture* texture, UINT level) override;
  HRESULT ReadBackBuffer(ResourceCore* owner, uint8_t* bytes, UINT size) override;
  size_t ProgramCompileCount() const { return programs_.CompileCount(); }

 protected:
  HRESULT DoClear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
  HRESULT DoDraw(const DrawCall& call) override;
  HRESULT DoPresent() override;
  HRESULT ReadGpuSurface(Surface* surface, std::vector<uint8_t>* rgba) override;

 public:
  HRESULT WriteGpuSurface(Surface* surface) override;

 private:
  struct FboEntry {
    GLuint colorTexture;
    GLint level;
    GLuint depthBuffer;
    GLuint fbo;
  };
  struct SamplerKey {
    DWORD address[3], border, mag, min, mip, anisotropy, lodBias, maxMipLevel;
    bool operator==(const SamplerKey& o) const;
  };
  // Last values handed to GL, so unchanged states cost no GL call.
  struct GlShadow {
    int depthTest = -1, depthMask = -1, cullFace = -1, polygonMode = -1, blend = -1;
    GLenum depthFunc = 0;
    GLenum blendSrc = 0, blendDst = 0, blendSrcAlpha = 0, blendDstAlpha = 0;
    GLenum blendEq = 0, blendEqAlpha = 0;
    DWORD colorMask = 0xffffffff;
    int scissor = -1;
    int stencil = -1;
    int polygonOffset = -1;
  };

  // Set-up for a draw or clear.
  void ApplyTargets();
  void ApplyRenderStates();
  void ApplyViewport();
  void ApplyScissor();
  // Which stages have a texture, refreshed from the slots whose binding changed.
  void UpdateBoundStages();
  bool ApplyProgram(const VertexLayout& layout);
  void ApplyConstants(uint32_t dirty);
  void Upload(FfpBlock block, const void* data, size_t size);
  void ApplyTextures();
  void SetupVertexInput(GLuint buffer, uintptr_t offset, UINT stride, const VertexLayout& layout);
#ifdef VEXIL_GLES
  // Draws a triangle primitive's edges (D3DFILL_WIREFRAME) or corners (D3DFILL_POINT), or,
  // with D3DFILL_SOLID, the draw itself, through an index list made from the CPU copies.
  HRESULT DrawOutlines(const DrawCall& call, DWORD fill);
#endif

  // GPU objects behind resources, created on first use.
  GLuint ColorTextureOf(Surface* surface, GLint* level);
  GLuint DepthBufferOf(Surface* surface);
  GLuint TextureOf(Texture* texture);
  void UploadDirtyLevels(Texture* texture);
  // Binds the buffer only to create it or to send what was written since.
  GLuint BufferOf(ResourceCore* owner, BufferStorage& storage, GLenum target);
  GLuint FramebufferFor(Surface* color, Surface* depth);
  GLuint SamplerFor(DWORD stage);
  void SetColorMask(DWORD mask);
  void InvalidateShadow();
  // Hands the oldest frame in flight to the frame reader.
  void CollectOldestFrame();

  std::unique_ptr<GlContext> ctx_;
  FfpProgramCache programs_;
  GLuint vao_ = 0, userVertexBuffer_ = 0, userIndexBuffer_ = 0;
  GLuint blockBuffers_[3] = {};
  std::vector<FboEntry> framebuffers_;
  std::unordered_map<SamplerKey, GLuint, KeyHash<SamplerKey>> samplers_;
  GlShadow shadow_;
  GLuint currentFbo_ = 0;
  bool targetHasAlpha_ = false;
  float depthUnit_ = 16777215.0f;  // D3D's depth bias of 1 in the bound depth buffer's units
  FfpKey key_{};
  bool keyValid_ = false;
  GLuint program_ = 0;
  DWORD activeLights_[kMaxActiveLights] = {};
  bool drawingPoints_ = false;
  // What the uniform blocks hold now, to skip sending equal contents again; the view matrix
  // and the lights the vertex block was filled with, to know when it must be filled anew.
  FfpTransforms transforms_{};
  FfpVertexConstants vertexConstants_{};
  FfpPixelConstants pixelConstants_{};
  D3DMATRIX vertexBlockView_{};
  DWORD vertexBlockLights_[kMaxActiveLights] = {};
  int vertexBlockLightCount_ = -1;
  // Vertex input last specified on the VAO.
  GLuint inputBuffer_ = ~0u;
  uintptr_t inputOffset_ = 0;
  UINT inputStride_ = 0;
  DWORD inputFvf_ = ~0u;
  GLuint elementBuffer_ = ~0u;  // the VAO's element buffer binding
  // What each texture unit has bound, and the sampler object each stage's states ask for
  // (looked up again only when the stage's sampler states change).
  std::array<GLuint, kStageCount> unitTexture_{};
  std::array<GLuint, kStageCount> unitSampler_{};
  std::array<GLuint, kStageCount> stageSampler_{};
  uint32_t boundStages_ = 0;  // bit i: stage i has a texture
  VexilFrameReader frameReader_ = nullptr;
  void* frameReaderUser_ = nullptr;
  std::vector<uint8_t> frameBytes_;
  // Frames read back asynchronously, at most readDepth_ of them waiting (0: read each frame
  // during its Present).
  ReadbackRing readRing_;
  UINT readDepth_ = 0;
  bool anisotropy_ = false;
  bool fullscreen_ = false;
};

}  // namespace vexil::d3d9

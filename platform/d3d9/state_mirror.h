// The device state both backends share: every render, sampler and texture-stage state,
// transform, light, the material and the viewport in plain arrays holding D3D9's defaults
// at creation. Setters store and mark dirty bits; the GL backend applies them at draw time.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "d3d9/d3d9types.h"

namespace vexil::d3d9 {

constexpr DWORD kRenderStateCount = D3DRS_MAX_INDEX + 1;
constexpr DWORD kSamplerCount = 16;
constexpr DWORD kSamplerStateCount = D3DSAMP_MAX_INDEX + 1;
constexpr DWORD kStageCount = 8;
constexpr DWORD kStageStateCount = D3DTSS_MAX_INDEX + 1;
constexpr DWORD kWorldMatrixCount = 4;
constexpr DWORD kMaxActiveLights = 8;
constexpr DWORD kMaxLightIndex = 65535;

// Transform slots: the world matrices first, then view, projection and the texture matrices.
enum TransformSlot : DWORD {
  kSlotWorld = 0,
  kSlotView = kWorldMatrixCount,
  kSlotProjection,
  kSlotTexture0,
  kTransformSlotCount = kSlotTexture0 + kStageCount
};

// Dirty bits: which groups changed since the backend last applied them. kDirtyRenderState
// covers the render states that map to fixed GL state (depth, blend, cull, fill, stencil...).
// Texture bindings and sampler states are tracked per slot as well (StateMirror's masks).
enum DirtyBit : uint32_t {
  kDirtyRenderState = 1u << 0,
  kDirtyStage = 1u << 2,
  kDirtyTransform = 1u << 3,
  kDirtyLights = 1u << 4,
  kDirtyMaterial = 1u << 5,
  kDirtyViewport = 1u << 6,
  kDirtyScissor = 1u << 7,
  kDirtyTextures = 1u << 8,  // some slot's binding changed (which: dirtyTextureSlots)
  kDirtyTargets = 1u << 9,
  kDirtyVertexInput = 1u << 10,
  kDirtyShaderKey = 1u << 11,   // render states that change the generated program
  kDirtyConstants = 1u << 12,   // render states that feed the shared uniform block
  kDirtyProjection = 1u << 13,  // the projection decides how fog measures distance
  kDirtyAll = 0xffffffffu
};

struct LightSlot {
  D3DLIGHT9 light;
  bool defined = false;
  bool enabled = false;
};

struct StateMirror {
  std::array<DWORD, kRenderStateCount> render{};
  std::array<std::array<DWORD, kSamplerStateCount>, kSamplerCount> sampler{};
  std::array<std::array<DWORD, kStageStateCount>, kStageCount> stage{};
  std::array<D3DMATRIX, kTransformSlotCount> transform{};
  std::vector<LightSlot> lights;
  D3DMATERIAL9 material{};
  D3DVIEWPORT9 viewport{};
  RECT scissor{};
  DWORD fvf = 0;
  uint32_t dirty = kDirtyAll;
  // Per slot, bit i for sampler i: bindings set and sampler states changed since applied.
  static constexpr uint32_t kAllSlots = (1u << kSamplerCount) - 1;
  uint32_t dirtyTextureSlots = kAllSlots;
  uint32_t dirtySamplerSlots = kAllSlots;

  // Restores D3D9's creation-time defaults; ZENABLE depends on the automatic depth buffer.
  void Reset(bool autoDepthStencil, UINT targetWidth, UINT targetHeight);

  // Validity of state enumerations; TransformSlotOf answers -1 for unknown transforms.
  static bool IsRenderState(DWORD state);
  static bool IsSamplerState(DWORD type) { return type >= 1 && type <= D3DSAMP_MAX_INDEX; }
  static bool IsStageState(DWORD type);
  static int TransformSlotOf(DWORD transformState);
  // Which dirty bit a render state raises: kDirtyRenderState for fixed GL state,
  // kDirtyShaderKey or kDirtyConstants for the fixed-function emulation.
  static uint32_t DirtyBitOf(DWORD renderState);

  float RenderFloat(D3DRENDERSTATETYPE state) const;
  const D3DMATRIX& Transform(TransformSlot slot) const { return transform[slot]; }
};

// The light D3D9 makes when LightEnable names an index that SetLight never filled.
D3DLIGHT9 DefaultLight();
D3DMATRIX IdentityMatrix();

inline DWORD FloatBits(float f) {
  DWORD d;
  static_assert(sizeof(d) == sizeof(f), "float and DWORD sizes differ");
  __builtin_memcpy(&d, &f, sizeof(d));
  return d;
}
inline float BitsFloat(DWORD d) {
  float f;
  __builtin_memcpy(&f, &d, sizeof(f));
  return f;
}

}  // namespace vexil::d3d9

// The shared device's fixed-function state calls: transforms, viewport, material, lights,
// render, texture-stage and sampler states, bound textures and the scissor rectangle, all
// kept in the state mirror with the dirty bits the backend reads.
#include "d3d9/device.h"
#include "d3d9/device_binding.h"

namespace vexil::d3d9 {

namespace {

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                  a.m[i][3] * b.m[3][j];
    }
  }
  return r;
}
}  // namespace

// ---- Fixed-function state ------------------------------------------------------------------

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE t, const D3DMATRIX* pMatrix) {
  const int slot = StateMirror::TransformSlotOf(t);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  state_.transform[slot] = *pMatrix;
  state_.dirty |= slot == kSlotProjection ? kDirtyTransform | kDirtyProjection : kDirtyTransform;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE t, D3DMATRIX* pMatrix) {
  const int slot = StateMirror::TransformSlotOf(t);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  *pMatrix = state_.transform[slot];
  return D3D_OK;
}

HRESULT Device::MultiplyTransform(D3DTRANSFORMSTATETYPE t, const D3DMATRIX* pMatrix) {
  const int slot = StateMirror::TransformSlotOf(t);
  if (slot < 0 || !pMatrix) return D3DERR_INVALIDCALL;
  state_.transform[slot] = Multiply(*pMatrix, state_.transform[slot]);
  state_.dirty |= slot == kSlotProjection ? kDirtyTransform | kDirtyProjection : kDirtyTransform;
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* vp) {
  if (!vp || !renderTarget_) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& d = renderTarget_->Desc();
  if (vp->Width == 0 || vp->Height == 0 || vp->X >= d.Width || vp->Y >= d.Height ||
      vp->Width > d.Width - vp->X || vp->Height > d.Height - vp->Y || !(vp->MinZ >= 0.0f) ||
      !(vp->MaxZ <= 1.0f) || vp->MinZ > vp->MaxZ) {
    return D3DERR_INVALIDCALL;
  }
  state_.viewport = *vp;
  state_.dirty |= kDirtyViewport;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* pViewport) {
  if (!pViewport) return D3DERR_INVALIDCALL;
  *pViewport = state_.viewport;
  return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  state_.material = *pMaterial;
  state_.dirty |= kDirtyMaterial;
  return D3D_OK;
}

HRESULT Device::GetMaterial(D3DMATERIAL9* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  *pMaterial = state_.material;
  return D3D_OK;
}

HRESULT Device::SetLight(DWORD index, const D3DLIGHT9* pLight) {
  if (!pLight || index > kMaxLightIndex) return D3DERR_INVALIDCALL;
  if (pLight->Type != D3DLIGHT_POINT && pLight->Type != D3DLIGHT_SPOT &&
      pLight->Type != D3DLIGHT_DIRECTIONAL) {
    return D3DERR_INVALIDCALL;
  }
  if (index >= state_.lights.size()) state_.lights.resize(index + 1);
  LightSlot& slot = state_.lights[index];
  slot.light = *pLight;
  slot.defined = true;
  state_.dirty |= kDirtyLights;
  return D3D_OK;
}

HRESULT Device::GetLight(DWORD index, D3DLIGHT9* pLight) {
  if (!pLight || index >= state_.lights.size() || !state_.lights[index].defined) {
    return D3DERR_INVALIDCALL;
  }
  *pLight = state_.lights[index].light;
  return D3D_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (index > kMaxLightIndex) return D3DERR_INVALIDCALL;
  if (index >= state_.lights.size()) state_.lights.resize(index + 1);
  LightSlot& slot = state_.lights[index];
  if (!slot.defined) {
    slot.light = DefaultLight();
    slot.defined = true;
  }
  slot.enabled = enable != FALSE;
  state_.dirty |= kDirtyLights;
  return D3D_OK;
}

HRESULT Device::GetLightEnable(DWORD index, BOOL* pEnable) {
  if (!pEnable || index >= state_.lights.size() || !state_.lights[index].defined) {
    return D3DERR_INVALIDCALL;
  }
  *pEnable = state_.lights[index].enabled ? TRUE : FALSE;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (!StateMirror::IsRenderState(state)) return D3DERR_INVALIDCALL;
  DWORD& slot = state_.render[state];
  if (slot != value) {
    slot = value;
    state_.dirty |= StateMirror::DirtyBitOf(state);
  }
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* pValue) {
  if (!pValue || !StateMirror::IsRenderState(state)) return D3DERR_INVALIDCALL;
  *pValue = state_.render[state];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* pTexture) {
  if (stage >= kSamplerCount) return D3DERR_INVALIDCALL;
  if (pTexture) {
    Texture* t = dynamic_cast<Texture*>(pTexture);
    if (!t || t->OwningDevice() != this) return D3DERR_INVALIDCALL;
  }
  if (textures_[stage] != pTexture) {
    Rebind(textures_[stage], pTexture);
    state_.dirty |= kDirtyTextures;
    state_.dirtyTextureSlots |= 1u << stage;
  }
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** ppTexture) {
  if (!ppTexture || stage >= kSamplerCount) return D3DERR_INVALIDCALL;
  *ppTexture = textures_[stage];
  if (*ppTexture) (*ppTexture)->AddRef();
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (stage >= kStageCount || !StateMirror::IsStageState(type)) return D3DERR_INVALIDCALL;
  DWORD& slot = state_.stage[stage][type];
  if (slot != value) {
    slot = value;
    state_.dirty |= type == D3DTSS_CONSTANT ? kDirtyConstants : kDirtyStage;
  }
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* pValue) {
  if (!pValue || stage >= kStageCount || !StateMirror::IsStageState(type)) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = state_.stage[stage][type];
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= kSamplerCount || !StateMirror::IsSamplerState(type)) return D3DERR_INVALIDCALL;
  DWORD& slot = state_.sampler[sampler][type];
  if (slot != value) {
    slot = value;
    state_.dirtySamplerSlots |= 1u << sampler;
  }
  return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* pValue) {
  if (!pValue || sampler >= kSamplerCount || !StateMirror::IsSamplerState(type)) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = state_.sampler[sampler][type];
  return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* pRect) {
  if (!pRect || pRect->left > pRect->right || pRect->top > pRect->bottom) {
    return D3DERR_INVALIDCALL;
  }
  state_.scissor = *pRect;
  state_.dirty |= kDirtyScissor;
  return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* pRect) {
  if (!pRect) return D3DERR_INVALIDCALL;
  *pRect = state_.scissor;
  return D3D_OK;
}

}  // namespace vexil::d3d9

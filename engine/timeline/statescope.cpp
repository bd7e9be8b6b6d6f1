// Recording and writing back of device states for CStateScope. The static device pointer
// lives here, in the engine core library, so scopes made in any library share it.
#include "timeline/statescope.h"

IDirect3DDevice9* CStateScope::m_pD3DDevice = nullptr;

CStateScope::~CStateScope() {
  if (!m_pD3DDevice) return;
  // Oldest record first: where a state was set twice, its last write-back restores the value
  // that was current just before its last change through this scope.
  for (const RenderStateRecord& r : m_renderStates) {
    m_pD3DDevice->SetRenderState(r.state, r.previous);
  }
  for (const SamplerStateRecord& r : m_samplerStates) {
    m_pD3DDevice->SetSamplerState(r.sampler, r.type, r.previous);
  }
  for (const StageStateRecord& r : m_stageStates) {
    m_pD3DDevice->SetTextureStageState(r.stage, r.type, r.previous);
  }
}

// Each setter primes the slot with the new value before the read: a device that cannot
// report the state leaves it there, and the write-back then changes nothing.

bool CStateScope::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (!m_pD3DDevice) return false;
  DWORD previous = value;
  m_pD3DDevice->GetRenderState(state, &previous);
  m_renderStates.push_back({state, previous});
  return m_pD3DDevice->SetRenderState(state, value) == D3D_OK;
}

bool CStateScope::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (!m_pD3DDevice) return false;
  DWORD previous = value;
  m_pD3DDevice->GetSamplerState(sampler, type, &previous);
  m_samplerStates.push_back({sampler, type, previous});
  return m_pD3DDevice->SetSamplerState(sampler, type, value) == D3D_OK;
}

bool CStateScope::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (!m_pD3DDevice) return false;
  DWORD previous = value;
  m_pD3DDevice->GetTextureStageState(stage, type, &previous);
  m_stageStates.push_back({stage, type, previous});
  return m_pD3DDevice->SetTextureStageState(stage, type, value) == D3D_OK;
}

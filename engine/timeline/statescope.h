// CStateScope: a stack object through which an effect sets render, sampler and texture-stage
// states. Each set records the value in effect before it; the destructor writes the records
// back, oldest first, so the next effect finds the states as this one found them.
#pragma once

#include <vector>

#include "d3d9/d3d9.h"

class CStateScope {
 public:
  CStateScope() = default;
  virtual ~CStateScope();
  CStateScope(const CStateScope&) = delete;
  CStateScope& operator=(const CStateScope&) = delete;

  // Each setter records the previous value (even when the device then rejects the new one)
  // and answers true exactly when the device's set call returned D3D_OK.
  bool SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  bool SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
  bool SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);

  // The device every scope talks to; set by CDemoDevice::SetD3DDevice before rendering.
  static IDirect3DDevice9* m_pD3DDevice;

 private:
  struct RenderStateRecord {
    D3DRENDERSTATETYPE state;
    DWORD previous;
  };
  struct SamplerStateRecord {
    DWORD sampler;
    D3DSAMPLERSTATETYPE type;
    DWORD previous;
  };
  struct StageStateRecord {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD previous;
  };

  // One record per set call, in call order: a state set twice has two records.
  std::vector<RenderStateRecord> m_renderStates;
  std::vector<SamplerStateRecord> m_samplerStates;
  std::vector<StageStateRecord> m_stageStates;
};

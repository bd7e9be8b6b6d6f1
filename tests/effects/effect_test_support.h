// Shared pieces of the effect module tests on the null device: script snippets, the recorded
// calls of one kind, and reading device state back.
#pragma once

#include <string>
#include <vector>

#include "d3dx9/d3dx9.h"
#include "effect_world.h"

inline std::string Param(const char* name, const char* type, const std::string& value) {
  return std::string("<param name=\"") + name + "\" type=\"" + type + "\" value=\"" + value +
         "\"/>";
}

// One module element of type `type` playing from 0 to 1000 ms on layer `layer`.
inline std::string Module(const char* type, const std::string& params, int layer = 0) {
  return std::string("<m type=\"") + type + "\" start=\"0\" end=\"1000\" layer=\"" +
         std::to_string(layer) + "\">" + params + "</m>";
}

inline std::vector<VexilRecordedCall> CallsOf(const EffectWorld& world, VexilCallKind kind) {
  std::vector<VexilRecordedCall> found;
  for (const VexilRecordedCall& call : world.calls()) {
    if (call.kind == kind) found.push_back(call);
  }
  return found;
}

inline DWORD RenderStateOf(IDirect3DDevice9* device, D3DRENDERSTATETYPE state) {
  DWORD value = 0;
  device->GetRenderState(state, &value);
  return value;
}

inline D3DXMATRIX TransformOf(IDirect3DDevice9* device, D3DTRANSFORMSTATETYPE which) {
  D3DXMATRIX m;
  device->GetTransform(which, &m);
  return m;
}

// Every render, stage-0 and sampler-0 state a module might touch, to compare before and after.
struct DeviceStates {
  std::vector<DWORD> render, stage, sampler;
  bool operator==(const DeviceStates& o) const {
    return render == o.render && stage == o.stage && sampler == o.sampler;
  }
};

inline DeviceStates StatesOf(IDirect3DDevice9* device) {
  DeviceStates s;
  for (DWORD r = D3DRS_ZENABLE; r <= D3DRS_BLENDOPALPHA; ++r) {
    DWORD value = 0xDEADBEEF;
    device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(r), &value);
    s.render.push_back(value);
  }
  for (DWORD t = D3DTSS_COLOROP; t <= D3DTSS_CONSTANT; ++t) {
    DWORD value = 0xDEADBEEF;
    device->GetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(t), &value);
    s.stage.push_back(value);
  }
  for (DWORD t = D3DSAMP_ADDRESSU; t <= D3DSAMP_DMAPOFFSET; ++t) {
    DWORD value = 0xDEADBEEF;
    device->GetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(t), &value);
    s.sampler.push_back(value);
  }
  return s;
}

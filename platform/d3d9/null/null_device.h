// The null backend: a device that keeps all state like the real one, records its clears,
// scenes, draws and presents for tests, and draws nothing. Also measures the engine's CPU
// cost without a GPU in the way.
#pragma once

#include <array>
#include <vector>

#include "d3d9/device.h"
#include "d3d9/direct3d.h"

namespace vexil::d3d9 {

// Armed failure counts, shared by the null Direct3D object and its devices.
struct FailurePlan {
  std::array<UINT, VEXIL_FAIL_COUNT> remaining{};
  HRESULT Take(VexilNullFailure failure) {
    if (failure < 0 || failure >= VEXIL_FAIL_COUNT || remaining[failure] == 0) return D3D_OK;
    --remaining[failure];
    return E_FAIL;
  }
};

class NullDirect3D final : public Direct3D {
 public:
  NullDirect3D(std::vector<D3DDISPLAYMODE> modes, const D3DDISPLAYMODE& desktop)
      : Direct3D(std::move(modes), desktop) {}
  HRESULT InjectedFailure(VexilNullFailure failure) override { return failures.Take(failure); }
  FailurePlan failures;

 protected:
  HRESULT MakeDevice(HWND window, const D3DPRESENT_PARAMETERS& params,
                     IDirect3DDevice9** ppDevice) override;
};

class NullDevice final : public Device {
 public:
  NullDevice(NullDirect3D* direct3d, const D3DPRESENT_PARAMETERS& params, UINT width, UINT height);
  ~NullDevice() override;
  HRESULT Init() { return InitCommon(); }

  HRESULT InjectedFailure(VexilNullFailure failure) override;

  std::vector<VexilRecordedCall> calls;
  FailurePlan failures;

 protected:
  HRESULT DoClear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
  HRESULT DoDraw(const DrawCall& call) override;
  HRESULT DoPresent() override;
  void OnSceneEvent(VexilCallKind kind) override;
  HRESULT ReadGpuSurface(Surface*, std::vector<uint8_t>*) override { return D3DERR_NOTAVAILABLE; }

 private:
  VexilRecordedCall Record(VexilCallKind kind);
  NullDirect3D* direct3d_;
};

}  // namespace vexil::d3d9

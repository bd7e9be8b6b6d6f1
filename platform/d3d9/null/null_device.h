// The null backend: a device that keeps all state like the real one, records its clears,
// scenes, draws and presents for tests, and draws nothing. Also measures the engine's CPU
// cost without a GPU in the way.
#pragma once

#include <array>
#include <vector>

#include "d3d9/device.h"
#include "d3d9/direct3d.h"
#include "d3d9/null/d3d9_null.h"

namespace vexil::d3d9 {

// Armed failure counts, shared by the null Direct3D object and its devices.
struct FailurePlan {
  std::array<UINT, VEXIL_FAIL_COUNT> remaining{};
  bool Take(VexilNullFailure failure) {
    if (failure < 0 || failure >= VEXIL_FAIL_COUNT || remaining[failure] == 0) return false;
    --remaining[failure];
    return true;
  }
};

class NullDirect3D final : public Direct3D {
 public:
  NullDirect3D(std::vector<D3DDISPLAYMODE> modes, const D3DDISPLAYMODE& desktop)
      : Direct3D(std::move(modes), desktop) {}
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) override;
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

  // Armed failures are taken once the shared device has accepted the arguments, so a call
  // that D3D9 refuses anyway does not use one up.
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture9** ppTexture,
                        HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample, DWORD multisampleQuality,
                                    BOOL discard, IDirect3DSurface9** ppSurface,
                                    HANDLE* pSharedHandle) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  bool RefusesLock() override { return Fails(VEXIL_FAIL_LOCK); }

  std::vector<VexilRecordedCall> calls;
  FailurePlan failures;

 protected:
  HRESULT DoClear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
  HRESULT DoDraw(const DrawCall& call) override;
  HRESULT DoPresent() override;
  HRESULT ReadGpuSurface(Surface*, std::vector<uint8_t>*) override { return D3DERR_NOTAVAILABLE; }

 private:
  // True when a failure of this kind is armed on the device or on its Direct3D object.
  bool Fails(VexilNullFailure failure);
  VexilRecordedCall Record(VexilCallKind kind);
  NullDirect3D* direct3d_;
};

}  // namespace vexil::d3d9

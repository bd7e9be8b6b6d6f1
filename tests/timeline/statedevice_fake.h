// A device that keeps render, sampler and stage states in maps, logs every call it receives
// and can be told to reject a state, so scope tests can see exactly what was asked of it.
// Every other operation answers D3DERR_INVALIDCALL and is logged as "other".
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "d3d9/d3d9.h"

class CStateDeviceFake final : public IDirect3DDevice9 {
 public:
  std::vector<std::string> calls;
  std::map<DWORD, DWORD> render;
  std::map<std::pair<DWORD, DWORD>, DWORD> sampler;
  std::map<std::pair<DWORD, DWORD>, DWORD> stage;
  // (state, value) pairs SetRenderState refuses with D3DERR_INVALIDCALL.
  std::set<std::pair<DWORD, DWORD>> rejectedRenderValues;
  // States GetRenderState cannot report (D3DERR_INVALIDCALL, nothing written).
  std::set<DWORD> unreadableRenderStates;

  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }

  HRESULT SetRenderState(D3DRENDERSTATETYPE s, DWORD v) override {
    calls.push_back("SetRenderState " + std::to_string(s) + " " + std::to_string(v));
    if (rejectedRenderValues.count({s, v})) return D3DERR_INVALIDCALL;
    render[s] = v;
    return D3D_OK;
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE s, DWORD* v) override {
    calls.push_back("GetRenderState " + std::to_string(s));
    if (unreadableRenderStates.count(s)) return D3DERR_INVALIDCALL;
    *v = render[s];
    return D3D_OK;
  }
  HRESULT SetSamplerState(DWORD i, D3DSAMPLERSTATETYPE t, DWORD v) override {
    calls.push_back("SetSamplerState " + std::to_string(i) + " " + std::to_string(t) + " " +
                    std::to_string(v));
    sampler[{i, t}] = v;
    return D3D_OK;
  }
  HRESULT GetSamplerState(DWORD i, D3DSAMPLERSTATETYPE t, DWORD* v) override {
    calls.push_back("GetSamplerState " + std::to_string(i) + " " + std::to_string(t));
    *v = sampler[{i, t}];
    return D3D_OK;
  }
  HRESULT SetTextureStageState(DWORD i, D3DTEXTURESTAGESTATETYPE t, DWORD v) override {
    calls.push_back("SetTextureStageState " + std::to_string(i) + " " + std::to_string(t) + " " +
                    std::to_string(v));
    stage[{i, t}] = v;
    return D3D_OK;
  }
  HRESULT GetTextureStageState(DWORD i, D3DTEXTURESTAGESTATETYPE t, DWORD* v) override {
    calls.push_back("GetTextureStageState " + std::to_string(i) + " " + std::to_string(t));
    *v = stage[{i, t}];
    return D3D_OK;
  }

  HRESULT TestCooperativeLevel() override { return Other(); }
  HRESULT GetDirect3D(IDirect3D9**) override { return Other(); }
  HRESULT GetDisplayMode(UINT, D3DDISPLAYMODE*) override { return Other(); }
  HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override {
    return Other();
  }
  HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override { return Other(); }
  HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**,
                        HANDLE*) override {
    return Other();
  }
  HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**,
                             HANDLE*) override {
    return Other();
  }
  HRESULT CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9**,
                            HANDLE*) override {
    return Other();
  }
  HRESULT CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                             IDirect3DSurface9**, HANDLE*) override {
    return Other();
  }
  HRESULT CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                    IDirect3DSurface9**, HANDLE*) override {
    return Other();
  }
  HRESULT CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**,
                                      HANDLE*) override {
    return Other();
  }
  HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override { return Other(); }
  HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override { return Other(); }
  HRESULT GetRenderTarget(DWORD, IDirect3DSurface9**) override { return Other(); }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9*) override { return Other(); }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9**) override { return Other(); }
  HRESULT BeginScene() override { return Other(); }
  HRESULT EndScene() override { return Other(); }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return Other(); }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return Other(); }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return Other(); }
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return Other(); }
  HRESULT SetViewport(const D3DVIEWPORT9*) override { return Other(); }
  HRESULT GetViewport(D3DVIEWPORT9*) override { return Other(); }
  HRESULT SetMaterial(const D3DMATERIAL9*) override { return Other(); }
  HRESULT GetMaterial(D3DMATERIAL9*) override { return Other(); }
  HRESULT SetLight(DWORD, const D3DLIGHT9*) override { return Other(); }
  HRESULT GetLight(DWORD, D3DLIGHT9*) override { return Other(); }
  HRESULT LightEnable(DWORD, BOOL) override { return Other(); }
  HRESULT GetLightEnable(DWORD, BOOL*) override { return Other(); }
  HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return Other(); }
  HRESULT GetTexture(DWORD, IDirect3DBaseTexture9**) override { return Other(); }
  HRESULT SetScissorRect(const RECT*) override { return Other(); }
  HRESULT GetScissorRect(RECT*) override { return Other(); }
  HRESULT SetFVF(DWORD) override { return Other(); }
  HRESULT GetFVF(DWORD*) override { return Other(); }
  HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return Other(); }
  HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) override { return Other(); }
  HRESULT SetIndices(IDirect3DIndexBuffer9*) override { return Other(); }
  HRESULT GetIndices(IDirect3DIndexBuffer9**) override { return Other(); }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return Other(); }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) override {
    return Other();
  }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return Other(); }
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
                                 const void*, UINT) override {
    return Other();
  }

 private:
  HRESULT Other() {
    calls.push_back("other");
    return D3DERR_INVALIDCALL;
  }
};

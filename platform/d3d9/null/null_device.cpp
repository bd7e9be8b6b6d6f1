// Null backend: call recording, armed failures and the factory functions that hand out
// null Direct3D objects.
#include "d3d9/null/null_device.h"

#include <new>

namespace vexil::d3d9 {

HRESULT NullDirect3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) {
  if (pMode && adapter == D3DADAPTER_DEFAULT && failures.Take(VEXIL_FAIL_GETADAPTERDISPLAYMODE)) {
    return D3DERR_NOTAVAILABLE;
  }
  return Direct3D::GetAdapterDisplayMode(adapter, pMode);
}

HRESULT NullDirect3D::MakeDevice(HWND, const D3DPRESENT_PARAMETERS& params,
                                 IDirect3DDevice9** ppDevice) {
  if (failures.Take(VEXIL_FAIL_CREATEDEVICE)) return D3DERR_NOTAVAILABLE;
  // No window to measure: a zero size takes the desktop's, as a windowed D3D9 device
  // takes its window's client area.
  const UINT width = params.BackBufferWidth ? params.BackBufferWidth : desktop_.Width;
  const UINT height = params.BackBufferHeight ? params.BackBufferHeight : desktop_.Height;
  auto* device = new (std::nothrow) NullDevice(this, params, width, height);
  if (!device) return E_OUTOFMEMORY;
  HRESULT hr = device->Init();
  if (FAILED(hr)) {
    device->Release();
    return hr;
  }
  *ppDevice = device;
  return D3D_OK;
}

NullDevice::NullDevice(NullDirect3D* direct3d, const D3DPRESENT_PARAMETERS& params, UINT width,
                       UINT height)
    : Device(direct3d, params, width, height), direct3d_(direct3d) {}

NullDevice::~NullDevice() {
  Shutdown();
}

bool NullDevice::Fails(VexilNullFailure failure) {
  return failures.Take(failure) || direct3d_->failures.Take(failure);
}

namespace {

// Turns a successful creation into the failure a test armed: the new object goes again.
template <typename T>
HRESULT Refuse(T** ppObject) {
  (*ppObject)->Release();
  *ppObject = nullptr;
  return D3DERR_OUTOFVIDEOMEMORY;
}

}  // namespace

HRESULT NullDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** ppTexture,
                                  HANDLE* pSharedHandle) {
  HRESULT hr =
      Device::CreateTexture(width, height, levels, usage, format, pool, ppTexture, pSharedHandle);
  if (SUCCEEDED(hr) && Fails(VEXIL_FAIL_CREATETEXTURE)) return Refuse(ppTexture);
  return hr;
}

HRESULT NullDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** ppVertexBuffer,
                                       HANDLE* pSharedHandle) {
  HRESULT hr = Device::CreateVertexBuffer(length, usage, fvf, pool, ppVertexBuffer, pSharedHandle);
  if (SUCCEEDED(hr) && Fails(VEXIL_FAIL_CREATEVERTEXBUFFER)) return Refuse(ppVertexBuffer);
  return hr;
}

HRESULT NullDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** ppIndexBuffer,
                                      HANDLE* pSharedHandle) {
  HRESULT hr = Device::CreateIndexBuffer(length, usage, format, pool, ppIndexBuffer, pSharedHandle);
  if (SUCCEEDED(hr) && Fails(VEXIL_FAIL_CREATEINDEXBUFFER)) return Refuse(ppIndexBuffer);
  return hr;
}

HRESULT NullDevice::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                              D3DMULTISAMPLE_TYPE multiSample,
                                              DWORD multisampleQuality, BOOL discard,
                                              IDirect3DSurface9** ppSurface,
                                              HANDLE* pSharedHandle) {
  HRESULT hr = Device::CreateDepthStencilSurface(
      width, height, format, multiSample, multisampleQuality, discard, ppSurface, pSharedHandle);
  if (SUCCEEDED(hr) && Fails(VEXIL_FAIL_CREATEDEPTHSTENCILSURFACE)) return Refuse(ppSurface);
  return hr;
}

HRESULT NullDevice::BeginScene() {
  if (!InScene() && Fails(VEXIL_FAIL_BEGINSCENE)) return D3DERR_INVALIDCALL;
  HRESULT hr = Device::BeginScene();
  if (SUCCEEDED(hr)) calls.push_back(Record(VEXIL_CALL_BEGINSCENE));
  return hr;
}

HRESULT NullDevice::EndScene() {
  HRESULT hr = Device::EndScene();
  if (SUCCEEDED(hr)) calls.push_back(Record(VEXIL_CALL_ENDSCENE));
  return hr;
}

VexilRecordedCall NullDevice::Record(VexilCallKind kind) {
  VexilRecordedCall c{};
  c.kind = kind;
  c.renderTarget = RenderTarget();
  c.depthStencil = DepthStencil();
  c.viewport = State().viewport;
  return c;
}

HRESULT NullDevice::DoClear(DWORD count, const D3DRECT*, DWORD flags, D3DCOLOR color, float z,
                            DWORD stencil) {
  VexilRecordedCall c = Record(VEXIL_CALL_CLEAR);
  c.clearFlags = flags;
  c.clearColor = color;
  c.clearZ = z;
  c.clearStencil = stencil;
  c.rectCount = count;
  calls.push_back(c);
  return D3D_OK;
}

HRESULT NullDevice::DoDraw(const DrawCall& call) {
  VexilRecordedCall c = Record(call.indexed ? VEXIL_CALL_DRAWINDEXED : VEXIL_CALL_DRAW);
  c.primitiveType = call.type;
  c.primitiveCount = call.primitiveCount;
  c.startVertex = call.startVertex;
  c.baseVertexIndex = call.baseVertex;
  c.minVertexIndex = call.minIndex;
  c.numVertices = call.numVertices;
  c.startIndex = call.startIndex;
  c.userPointer = call.userVertices != nullptr;
  c.fvf = State().fvf;
  c.stride = call.stride;
  c.stream0 = call.stream;
  c.indices = call.indices;
  c.texture0 = BoundTexture(0);
  calls.push_back(c);
  return D3D_OK;
}

HRESULT NullDevice::DoPresent() {
  calls.push_back(Record(VEXIL_CALL_PRESENT));
  return D3D_OK;
}

}  // namespace vexil::d3d9

using vexil::d3d9::NullDevice;
using vexil::d3d9::NullDirect3D;

IDirect3D9* VexilCreateNullDirect3D9() {
  static const D3DDISPLAYMODE kModes[] = {{640, 480, 60, D3DFMT_X8R8G8B8},
                                          {800, 600, 60, D3DFMT_X8R8G8B8},
                                          {1024, 768, 60, D3DFMT_X8R8G8B8},
                                          {1280, 720, 60, D3DFMT_X8R8G8B8},
                                          {1920, 1080, 60, D3DFMT_X8R8G8B8}};
  return VexilCreateNullDirect3D9Ex(kModes, 5, &kModes[4]);
}

IDirect3D9* VexilCreateNullDirect3D9Ex(const D3DDISPLAYMODE* pModes, UINT modeCount,
                                       const D3DDISPLAYMODE* pDesktopMode) {
  if (modeCount > 0 && !pModes) return nullptr;
  std::vector<D3DDISPLAYMODE> modes(pModes, pModes + modeCount);
  D3DDISPLAYMODE desktop =
      pDesktopMode ? *pDesktopMode : D3DDISPLAYMODE{1920, 1080, 60, D3DFMT_X8R8G8B8};
  return new (std::nothrow) NullDirect3D(std::move(modes), desktop);
}

const std::vector<VexilRecordedCall>* VexilNullRecordedCalls(IDirect3DDevice9* pDevice) {
  auto* device = dynamic_cast<NullDevice*>(pDevice);
  return device ? &device->calls : nullptr;
}

void VexilNullClearRecordedCalls(IDirect3DDevice9* pDevice) {
  if (auto* device = dynamic_cast<NullDevice*>(pDevice)) device->calls.clear();
}

HRESULT VexilNullFailNext(IUnknown* pObject, VexilNullFailure failure, UINT count) {
  if (failure < 0 || failure >= VEXIL_FAIL_COUNT) return D3DERR_INVALIDCALL;
  if (auto* device = dynamic_cast<NullDevice*>(pObject)) {
    device->failures.remaining[failure] = count;
    return D3D_OK;
  }
  if (auto* d3d = dynamic_cast<NullDirect3D*>(pObject)) {
    d3d->failures.remaining[failure] = count;
    return D3D_OK;
  }
  return D3DERR_INVALIDCALL;
}

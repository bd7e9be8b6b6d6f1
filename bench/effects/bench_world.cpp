// Bench world: the widget manager loads scenecore and effectpack beside this program, as the
// player does; the device is windowless (the GL one owns a hidden window).
#include "bench_world.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "d3dx9/d3dx9math.h"

#include "bench_scenes.h"
#include "d3d9/null/d3d9_null.h"

namespace vexil_bench {

namespace {

// The benchmark picture (BenchPicture) as a texture.
IDirect3DTexture9* MakePicture(IDirect3DDevice9* device) {
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                   nullptr))) {
    return nullptr;
  }
  D3DLOCKED_RECT locked;
  if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
    const std::vector<uint32_t> picture = BenchPicture();
    for (int y = 0; y < 256; ++y) {
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch, &picture[y * 256],
                  256 * 4);
    }
    texture->UnlockRect(0);
  }
  return texture;
}

}  // namespace

BenchDevice::~BenchDevice() {
  CStateScope::m_pD3DDevice = nullptr;
  if (device) device->Release();
  if (d3d) d3d->Release();
}

BenchWorld::BenchWorld(bool nullDevice) : m_null(nullDevice) {
  IDirect3D9*& d3d = m_devices.d3d;
  IDirect3DDevice9*& device = m_devices.device;
  d3d = nullDevice ? VexilCreateNullDirect3D9() : Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = kBenchWidth;
  pp.BackBufferHeight = kBenchHeight;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  if (!d3d || FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device))) {
    std::fprintf(stderr, "cannot create the %s device\n", nullDevice ? "null" : "GL");
    device = nullptr;
    return;
  }
  if (!m_widgets.Load("scenecore.dll") || !m_widgets.Load("effectpack.dll")) {
    std::fprintf(stderr, "cannot load the libraries: %s\n", m_widgets.GetLastError().c_str());
    return;
  }
  m_demo.SetD3D(d3d);
  m_demo.SetD3DDevice(device);
  m_demo.SetResourceManager(&m_resources);
  m_demo.SetWidgetManager(&m_widgets);
  m_demo.SetTextureManager(&m_textures);
  m_demo.m_width = kBenchWidth;
  m_demo.m_height = kBenchHeight;
  m_resources.SetDemoDevice(&m_demo);
  m_timeline.SetDemoDevice(&m_demo);

  // The projection the player sets, which the spline tunnel and the mesh viewer use.
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, 0.7853982f,
                             static_cast<float>(kBenchWidth) / kBenchHeight, 1.0f, 1000.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  if (IDirect3DTexture9* picture = MakePicture(device)) m_textures.AddTexture("tex", picture);
  IDirect3DTexture9* target = nullptr;
  if (SUCCEEDED(device->CreateTexture(256, 256, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                      D3DPOOL_DEFAULT, &target, nullptr))) {
    m_textures.AddTexture("rt", target);
  }
}

bool BenchWorld::Load(const std::string& timelineXml) {
  if (!m_devices.device) return false;
  TiXmlDocument document;
  document.Parse(timelineXml.c_str());
  if (document.Error() || !document.RootElement()) return false;
  m_timeline.Parse(document.RootElement());
  m_module = m_timeline.GetModuleCount() > 0 ? m_timeline.GetModule(0) : nullptr;
  return m_module != nullptr;
}

bool BenchWorld::LoadResources(const std::string& resourcesXml) {
  if (!m_devices.device) return false;
  TiXmlDocument document;
  document.Parse(resourcesXml.c_str());
  if (document.Error() || !document.RootElement()) return false;
  m_resources.Parse(document.RootElement());
  return true;
}

void BenchWorld::FrameAt(float t) {
  IDirect3DDevice9* device = m_devices.device;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  m_timeline.Render(t);  // the module's Render and the present
  if (m_null && ++m_frames % 256 == 0) VexilNullClearRecordedCalls(device);
}

void BenchWorld::Frame() {
  IDirect3DDevice9* device = m_devices.device;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  m_module->Render();
  device->Present(nullptr, nullptr, nullptr, nullptr);
  if (m_null && ++m_frames % 256 == 0) VexilNullClearRecordedCalls(device);
}

}  // namespace vexil_bench

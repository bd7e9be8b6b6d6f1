// The benchmark frame through IDirect3DDevice9: static buffers and texture, one light, ten
// render-state changes between ten indexed draws, present, and a GL finish so the GPU
// (llvmpipe) work is inside the measurement.
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"
#include "frames.h"
#include "scene.h"

namespace vexil_bench {

namespace {

class LayerFrame : public FrameDrawer {
 public:
  explicit LayerFrame(bool nullDevice) : null_(nullDevice) {
    d3d_ = nullDevice ? VexilCreateNullDirect3D9() : Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kFrameWidth;
    pp.BackBufferHeight = kFrameHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (!d3d_ || FAILED(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &pp, &dev_))) {
      std::fprintf(stderr, "cannot create the %s device\n", nullDevice ? "null" : "GL");
      return;
    }
    const Scene& s = BenchScene();
    const UINT vbBytes = UINT(s.vertices.size() * sizeof(SceneVertex));
    const UINT ibBytes = UINT(s.indices.size() * 2);
    void* p = nullptr;
    dev_->CreateVertexBuffer(vbBytes, D3DUSAGE_WRITEONLY, 0x152, D3DPOOL_MANAGED, &vb_, nullptr);
    vb_->Lock(0, 0, &p, 0);
    std::memcpy(p, s.vertices.data(), vbBytes);
    vb_->Unlock();
    dev_->CreateIndexBuffer(ibBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib_,
                            nullptr);
    ib_->Lock(0, 0, &p, 0);
    std::memcpy(p, s.indices.data(), ibBytes);
    ib_->Unlock();
    dev_->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex_, nullptr);
    D3DLOCKED_RECT lr;
    tex_->LockRect(0, &lr, nullptr, 0);
    std::memcpy(lr.pBits, s.texture.data(), 64 * 64 * 4);
    tex_->UnlockRect(0);

    D3DMATRIX m;
    std::memcpy(&m, s.world, 64);
    dev_->SetTransform(D3DTS_WORLD, &m);
    std::memcpy(&m, s.view, 64);
    dev_->SetTransform(D3DTS_VIEW, &m);
    std::memcpy(&m, s.projection, 64);
    dev_->SetTransform(D3DTS_PROJECTION, &m);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = light.Specular = light.Ambient = {1, 1, 1, 1};
    light.Direction = {0.5f, -0.3f, 0.8f};
    light.Range = 1000;
    dev_->SetLight(0, &light);
    dev_->LightEnable(0, TRUE);
    D3DMATERIAL9 mat{};
    mat.Diffuse = {0.8f, 0.8f, 0.8f, 0.7f};
    mat.Specular = {0.5f, 0.5f, 0.5f, 1};
    mat.Power = 20;
    dev_->SetMaterial(&mat);
    dev_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    dev_->SetRenderState(D3DRS_AMBIENT, 0x00202020);
    dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  }

  ~LayerFrame() override {
    if (tex_) tex_->Release();
    if (vb_) vb_->Release();
    if (ib_) ib_->Release();
    if (dev_) dev_->Release();
    if (d3d_) d3d_->Release();
  }

  void DrawFrame() override {
    if (!dev_) return;
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff102030, 1.0f, 0);
    dev_->BeginScene();
    dev_->SetTexture(0, tex_);
    dev_->SetFVF(0x152);
    dev_->SetStreamSource(0, vb_, 0, sizeof(SceneVertex));
    dev_->SetIndices(ib_);
    static const struct {
      D3DRENDERSTATETYPE state;
      DWORD value;
    } kChanges[kBatches] = {{D3DRS_CULLMODE, D3DCULL_NONE}, {D3DRS_ALPHABLENDENABLE, TRUE},
                            {D3DRS_SPECULARENABLE, TRUE},   {D3DRS_AMBIENT, 0x00404040},
                            {D3DRS_CULLMODE, D3DCULL_CCW},  {D3DRS_ALPHABLENDENABLE, FALSE},
                            {D3DRS_ZFUNC, D3DCMP_LESS},     {D3DRS_SPECULARENABLE, FALSE},
                            {D3DRS_AMBIENT, 0x00202020},    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}};
    const UINT vertexCount = UINT(BenchScene().vertices.size());
    for (int b = 0; b < kBatches; ++b) {
      dev_->SetRenderState(kChanges[b].state, kChanges[b].value);
      dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, b * kTrianglesPerBatch * 3,
                                 kTrianglesPerBatch);
    }
    dev_->EndScene();
    dev_->Present(nullptr, nullptr, nullptr, nullptr);
    if (!null_) glFinish();
  }

 private:
  bool null_;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
  IDirect3DTexture9* tex_ = nullptr;
};

}  // namespace

std::unique_ptr<FrameDrawer> MakeLayerFrame(bool nullDevice) {
  return std::make_unique<LayerFrame>(nullDevice);
}

}  // namespace vexil_bench

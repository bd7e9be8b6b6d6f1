// The benchmark frames through IDirect3DDevice9, written as the effects write theirs: states
// set before the scene, buffers locked and filled, draws inside BeginScene / EndScene, present,
// and a GL finish so the GPU (llvmpipe) work is inside the measurement.
#include <GL/gl.h>

#include <cstdio>
#include <cstring>

#include "d3d9/d3d9.h"
#include "d3d9/null/d3d9_null.h"
#include "frames.h"
#include "scene.h"

namespace vexil_bench {

namespace {

const D3DMATRIX& AsD3D(const Matrix& m) {
  static_assert(sizeof(Matrix) == sizeof(D3DMATRIX), "matrix layouts differ");
  return reinterpret_cast<const D3DMATRIX&>(m);
}

const D3DMATRIX& AsD3D(const float (&m)[16]) {
  return reinterpret_cast<const D3DMATRIX&>(m);
}

DWORD Float(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

// The device of a 640 x 480 frame with an automatic depth buffer, and helpers for the
// resources the frames make.
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
      dev_ = nullptr;
    }
  }

  ~LayerFrame() override {
    for (IUnknown* object : objects_) object->Release();
    if (dev_) dev_->Release();
    if (d3d_) d3d_->Release();
  }

  bool ok() const override { return dev_ != nullptr; }
  IDirect3DDevice9* device() const override { return dev_; }

 protected:
  // Present and, on the GL device, wait until the frame is drawn.
  void Finish() {
    dev_->Present(nullptr, nullptr, nullptr, nullptr);
    if (null_) {
      if (++frames_ % 64 == 0) VexilNullClearRecordedCalls(dev_);
    } else {
      glFinish();
    }
  }

  template <typename T>
  T* Keep(T* object) {
    if (object) objects_.push_back(object);
    return object;
  }

  IDirect3DVertexBuffer9* StaticVertices(const void* data, UINT bytes, DWORD fvf) {
    IDirect3DVertexBuffer9* vb = nullptr;
    void* p = nullptr;
    if (FAILED(dev_->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &vb,
                                        nullptr))) {
      return nullptr;
    }
    if (data && SUCCEEDED(vb->Lock(0, 0, &p, 0))) {
      std::memcpy(p, data, bytes);
      vb->Unlock();
    }
    return Keep(vb);
  }

  IDirect3DIndexBuffer9* StaticIndices(const uint16_t* data, size_t count) {
    IDirect3DIndexBuffer9* ib = nullptr;
    void* p = nullptr;
    const UINT bytes = UINT(count * 2);
    if (FAILED(dev_->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                       &ib, nullptr))) {
      return nullptr;
    }
    if (SUCCEEDED(ib->Lock(0, 0, &p, 0))) {
      std::memcpy(p, data, bytes);
      ib->Unlock();
    }
    return Keep(ib);
  }

  IDirect3DTexture9* Texture64(const std::vector<uint32_t>& texels) {
    IDirect3DTexture9* tex = nullptr;
    if (FAILED(
            dev_->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr))) {
      return nullptr;
    }
    D3DLOCKED_RECT lr;
    if (SUCCEEDED(tex->LockRect(0, &lr, nullptr, 0))) {
      std::memcpy(lr.pBits, texels.data(), 64 * 64 * 4);
      tex->UnlockRect(0);
    }
    return Keep(tex);
  }

  bool null_;
  int frames_ = 0;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* dev_ = nullptr;

 private:
  std::vector<IUnknown*> objects_;
};

// (a) Static buffers and texture, one directional light, ten render-state changes between
// ten indexed draws.
class GridFrame : public LayerFrame {
 public:
  explicit GridFrame(bool nullDevice) : LayerFrame(nullDevice) {
    if (!dev_) return;
    const Scene& s = BenchScene();
    vb_ =
        StaticVertices(s.vertices.data(), UINT(s.vertices.size() * sizeof(SceneVertex)), kSceneFvf);
    ib_ = StaticIndices(s.indices.data(), s.indices.size());
    tex_ = Texture64(s.texture);
    dev_->SetTransform(D3DTS_WORLD, &AsD3D(s.world));
    dev_->SetTransform(D3DTS_VIEW, &AsD3D(s.view));
    dev_->SetTransform(D3DTS_PROJECTION, &AsD3D(s.projection));
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

  bool ok() const override { return dev_ && vb_ && ib_ && tex_; }

  void DrawFrame() override {
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff102030, 1.0f, 0);
    dev_->BeginScene();
    dev_->SetTexture(0, tex_);
    dev_->SetFVF(kSceneFvf);
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
    Finish();
  }

 private:
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
  IDirect3DTexture9* tex_ = nullptr;
};

// (b) A dynamic vertex buffer refilled with D3DLOCK_DISCARD every frame, a static index
// buffer, a point light, specular, linear table fog and a texture.
class TubeFrame : public LayerFrame {
 public:
  explicit TubeFrame(bool nullDevice) : LayerFrame(nullDevice) {
    if (!dev_) return;
    if (SUCCEEDED(dev_->CreateVertexBuffer(kTubeVertexCount * sizeof(SceneVertex),
                                           D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kSceneFvf,
                                           D3DPOOL_DEFAULT, &vb_, nullptr))) {
      Keep(vb_);
    }
    ib_ = StaticIndices(TubeIndices().data(), TubeIndices().size());
    tex_ = Texture64(BenchScene().texture);
    dev_->SetTransform(D3DTS_VIEW, &AsD3D(TubeView()));
    dev_->SetTransform(D3DTS_PROJECTION, &AsD3D(TubeProjection()));
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_POINT;
    light.Diffuse = {1.0f, 0.95f, 0.9f, 1};
    light.Specular = {1, 1, 1, 1};
    light.Ambient = {0.1f, 0.1f, 0.1f, 1};
    light.Position = {kTubeLight[0], kTubeLight[1], kTubeLight[2]};
    light.Range = kTubeLightRange;
    light.Attenuation0 = 1.0f;
    light.Attenuation1 = 0.05f;
    dev_->SetLight(0, &light);
    dev_->LightEnable(0, TRUE);
    D3DMATERIAL9 mat{};
    mat.Diffuse = {1, 1, 1, 1};
    mat.Ambient = {0.6f, 0.6f, 0.7f, 1};
    mat.Specular = {0.6f, 0.6f, 0.6f, 1};
    mat.Power = 16;
    dev_->SetMaterial(&mat);
    dev_->SetRenderState(D3DRS_AMBIENT, 0x00303030);
    dev_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    dev_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    dev_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    dev_->SetRenderState(D3DRS_FOGSTART, Float(kTubeFogStart));
    dev_->SetRenderState(D3DRS_FOGEND, Float(kTubeFogEnd));
    dev_->SetRenderState(D3DRS_FOGCOLOR, kTubeFogColor);
    dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  }

  bool ok() const override { return dev_ && vb_ && ib_ && tex_; }

  void DrawFrame() override {
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kTubeFogColor, 1.0f, 0);
    dev_->BeginScene();
    const Matrix world = TubeWorld(frame_);
    dev_->SetTransform(D3DTS_WORLD, &AsD3D(world));
    void* p = nullptr;
    if (SUCCEEDED(vb_->Lock(0, 0, &p, D3DLOCK_DISCARD))) {
      WriteTubeVertices(frame_, static_cast<SceneVertex*>(p));
      vb_->Unlock();
    }
    dev_->SetTexture(0, tex_);
    dev_->SetFVF(kSceneFvf);
    dev_->SetStreamSource(0, vb_, 0, sizeof(SceneVertex));
    dev_->SetIndices(ib_);
    dev_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kTubeVertexCount, 0, kTubeTriangles);
    dev_->EndScene();
    Finish();
    ++frame_;
  }

 private:
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DIndexBuffer9* ib_ = nullptr;
  IDirect3DTexture9* tex_ = nullptr;
  int frame_ = 0;
};

// (c) One four-vertex buffer rewritten for every quad (a plain lock, as the zoom blur does),
// a world transform per quad, the texture and the blend mode changing between quads, and a
// scene around every draw.
class QuadsFrame : public LayerFrame {
 public:
  explicit QuadsFrame(bool nullDevice) : LayerFrame(nullDevice) {
    if (!dev_) return;
    vb_ = StaticVertices(nullptr, 4 * sizeof(QuadVertex), kQuadFvf);
    tex_[0] = Texture64(QuadTexels(0));
    tex_[1] = Texture64(QuadTexels(1));
    const Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    dev_->SetTransform(D3DTS_VIEW, &AsD3D(identity));
    dev_->SetTransform(D3DTS_PROJECTION, &AsD3D(QuadProjection()));
    dev_->SetRenderState(D3DRS_LIGHTING, FALSE);
    dev_->SetRenderState(D3DRS_ZENABLE, FALSE);
    dev_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    dev_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    dev_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    dev_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    dev_->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    dev_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    dev_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  }

  bool ok() const override { return dev_ && vb_ && tex_[0] && tex_[1]; }

  void DrawFrame() override {
    dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    dev_->SetFVF(kQuadFvf);
    dev_->SetStreamSource(0, vb_, 0, sizeof(QuadVertex));
    for (int pass = 0; pass < kQuadPasses; ++pass) {
      void* p = nullptr;
      if (FAILED(vb_->Lock(0, 4 * sizeof(QuadVertex), &p, 0))) break;
      WriteQuad(pass, static_cast<QuadVertex*>(p));
      vb_->Unlock();
      const Matrix world = QuadWorld(frame_, pass);
      dev_->SetTransform(D3DTS_WORLD, &AsD3D(world));
      dev_->SetTexture(0, tex_[QuadTexture(pass)]);
      dev_->SetRenderState(D3DRS_DESTBLEND,
                           QuadAdditive(pass) ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
      if (SUCCEEDED(dev_->BeginScene())) {
        dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
        dev_->EndScene();
      }
    }
    dev_->SetTexture(0, nullptr);
    Finish();
    ++frame_;
  }

 private:
  IDirect3DVertexBuffer9* vb_ = nullptr;
  IDirect3DTexture9* tex_[2] = {};
  int frame_ = 0;
};

}  // namespace

const char* BenchFrameName(BenchFrame frame) {
  switch (frame) {
    case BenchFrame::kGrid:
      return "grid";
    case BenchFrame::kDynamicTube:
      return "tube";
    case BenchFrame::kManyQuads:
      return "quads";
  }
  return "?";
}

std::unique_ptr<FrameDrawer> MakeLayerFrame(BenchFrame frame, bool nullDevice) {
  switch (frame) {
    case BenchFrame::kGrid:
      return std::make_unique<GridFrame>(nullDevice);
    case BenchFrame::kDynamicTube:
      return std::make_unique<TubeFrame>(nullDevice);
    case BenchFrame::kManyQuads:
      return std::make_unique<QuadsFrame>(nullDevice);
  }
  return nullptr;
}

}  // namespace vexil_bench

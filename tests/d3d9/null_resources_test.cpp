// Resources through the null device: reference counting, buffer and texture locks,
// render-target and depth-stencil switching, reading CPU-side surfaces back.
#include <cstring>

#include "null_fixture.h"

namespace {

TEST_F(NullDeviceTest, ReferenceCountsFollowAddRefReleaseAndBindings) {
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK,
            dev_->CreateTexture(64, 32, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr));
  EXPECT_EQ(2u, tex->AddRef());
  EXPECT_EQ(1u, tex->Release());
  ASSERT_EQ(D3D_OK, dev_->SetTexture(0, tex));
  EXPECT_EQ(3u, tex->AddRef()) << "the device holds a reference while it is bound";
  tex->Release();
  IDirect3DBaseTexture9* got = nullptr;
  ASSERT_EQ(D3D_OK, dev_->GetTexture(0, &got));
  EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(tex), got);
  got->Release();

  // A level surface shares the texture's count.
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(D3D_OK, tex->GetSurfaceLevel(0, &level));
  EXPECT_EQ(4u, tex->AddRef());
  tex->Release();
  level->Release();

  dev_->SetTexture(0, nullptr);
  EXPECT_EQ(0u, tex->Release()) << "unbinding gave the device's reference back";

  IDirect3DDevice9* owner = nullptr;
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(D3D_OK,
            dev_->CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x142, D3DPOOL_MANAGED, &vb, nullptr));
  ASSERT_EQ(D3D_OK, vb->GetDevice(&owner));
  EXPECT_EQ(dev_, owner);
  owner->Release();
  EXPECT_EQ(0u, vb->Release());
}

TEST_F(NullDeviceTest, ResourcesMayOutliveTheirDevice) {
  IDirect3DIndexBuffer9* ib = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr));
  dev_->SetIndices(ib);
  EXPECT_EQ(0u, dev_->Release());
  dev_ = nullptr;
  void* p = nullptr;
  EXPECT_EQ(D3D_OK, ib->Lock(0, 0, &p, 0)) << "the CPU copy is still usable";
  EXPECT_EQ(D3D_OK, ib->Unlock());
  IDirect3DDevice9* owner = reinterpret_cast<IDirect3DDevice9*>(1);
  EXPECT_EQ(D3DERR_INVALIDCALL, ib->GetDevice(&owner));
  EXPECT_EQ(0u, ib->Release());
}

TEST_F(NullDeviceTest, BufferLocksCheckRangesAndKeepData) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateVertexBuffer(100, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr));
  D3DVERTEXBUFFER_DESC desc{};
  vb->GetDesc(&desc);
  EXPECT_EQ(100u, desc.Size);
  EXPECT_EQ(D3DPOOL_DEFAULT, desc.Pool);

  unsigned char* p = nullptr;
  ASSERT_EQ(D3D_OK, vb->Lock(0, 0, reinterpret_cast<void**>(&p), 0)) << "size 0 locks it all";
  for (int i = 0; i < 100; ++i) p[i] = static_cast<unsigned char>(i);
  ASSERT_EQ(D3D_OK, vb->Unlock());
  ASSERT_EQ(D3D_OK, vb->Lock(40, 10, reinterpret_cast<void**>(&p), D3DLOCK_READONLY));
  EXPECT_EQ(40, p[0]) << "the pointer is at the requested offset";
  EXPECT_EQ(49, p[9]);
  vb->Unlock();
  EXPECT_EQ(D3D_OK, vb->Lock(0, 100, reinterpret_cast<void**>(&p), D3DLOCK_DISCARD));
  vb->Unlock();
  EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(90, 20, reinterpret_cast<void**>(&p), 0));
  EXPECT_EQ(nullptr, p) << "a failed lock hands out no pointer";
  EXPECT_EQ(D3DERR_INVALIDCALL, vb->Lock(101, 0, reinterpret_cast<void**>(&p), 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, vb->Unlock()) << "nothing is locked";

  VexilNullFailNext(dev_, VEXIL_FAIL_LOCK, 1);
  p = reinterpret_cast<unsigned char*>(1);
  EXPECT_TRUE(FAILED(vb->Lock(0, 0, reinterpret_cast<void**>(&p), 0)));
  EXPECT_EQ(nullptr, p);
  vb->Release();

  IDirect3DIndexBuffer9* ib = nullptr;
  EXPECT_EQ(D3DERR_INVALIDCALL,
            dev_->CreateIndexBuffer(12, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &ib, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL,
            dev_->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED,
                                     reinterpret_cast<IDirect3DVertexBuffer9**>(&ib), nullptr));
  EXPECT_EQ(nullptr, ib);
  VexilNullFailNext(dev_, VEXIL_FAIL_CREATEINDEXBUFFER, 1);
  EXPECT_TRUE(
      FAILED(dev_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr)));
}

TEST_F(NullDeviceTest, TextureLevelsLockAndDescribeThemselves) {
  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK,
            dev_->CreateTexture(64, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr));
  EXPECT_EQ(7u, tex->GetLevelCount()) << "0 levels make the full chain 64x16 .. 1x1";
  D3DSURFACE_DESC d{};
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(2, &d));
  EXPECT_EQ(16u, d.Width);
  EXPECT_EQ(4u, d.Height);
  ASSERT_EQ(D3D_OK, tex->GetLevelDesc(6, &d));
  EXPECT_EQ(1u, d.Width);
  EXPECT_EQ(1u, d.Height);
  EXPECT_EQ(D3DERR_INVALIDCALL, tex->GetLevelDesc(7, &d));

  D3DLOCKED_RECT lr{};
  ASSERT_EQ(D3D_OK, tex->LockRect(0, &lr, nullptr, 0));
  EXPECT_EQ(64 * 4, lr.Pitch);
  auto* px = static_cast<DWORD*>(lr.pBits);
  px[0] = 0xff102030;   // top-left
  px[63] = 0x80ffffff;  // top-right
  EXPECT_EQ(D3DERR_INVALIDCALL, tex->LockRect(0, &lr, nullptr, 0)) << "already locked";
  ASSERT_EQ(D3D_OK, tex->UnlockRect(0));
  RECT r{60, 2, 64, 4};
  ASSERT_EQ(D3D_OK, tex->LockRect(0, &lr, &r, 0));
  EXPECT_EQ(static_cast<DWORD*>(lr.pBits), px + 2 * 64 + 60) << "rect lock points at its corner";
  tex->UnlockRect(0);
  RECT outside{0, 0, 65, 1};
  EXPECT_EQ(D3DERR_INVALIDCALL, tex->LockRect(0, &lr, &outside, 0));

  IDirect3DSurface9* level0 = nullptr;
  tex->GetSurfaceLevel(0, &level0);
  std::vector<uint8_t> rgba;
  UINT w = 0, h = 0;
  ASSERT_EQ(D3D_OK, VexilReadSurfaceRGBA(level0, &rgba, &w, &h));
  EXPECT_EQ(64u, w);
  EXPECT_EQ((std::vector<uint8_t>{0x10, 0x20, 0x30, 0xff}),
            std::vector<uint8_t>(rgba.begin(), rgba.begin() + 4))
      << "A8R8G8B8 0xff102030 reads as RGBA 10 20 30 ff";
  EXPECT_EQ(0x80, rgba[63 * 4 + 3]);
  level0->Release();
  tex->Release();

  // X8R8G8B8 reads opaque whatever the unused byte holds.
  ASSERT_EQ(D3D_OK,
            dev_->CreateTexture(2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr));
  tex->LockRect(0, &lr, nullptr, 0);
  static_cast<DWORD*>(lr.pBits)[0] = 0x00ff0000;
  tex->UnlockRect(0);
  tex->GetSurfaceLevel(0, &level0);
  VexilReadSurfaceRGBA(level0, &rgba, &w, &h);
  EXPECT_EQ(255, rgba[0]);
  EXPECT_EQ(255, rgba[3]);
  level0->Release();
  tex->Release();
}

TEST_F(NullDeviceTest, RenderTargetTexturesAreNotLockable) {
  IDirect3DTexture9* rt = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateTexture(256, 256, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                        D3DPOOL_DEFAULT, &rt, nullptr));
  D3DLOCKED_RECT lr{};
  EXPECT_EQ(D3DERR_INVALIDCALL, rt->LockRect(0, &lr, nullptr, 0));
  rt->Release();
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->CreateTexture(256, 256, 1, D3DUSAGE_RENDERTARGET,
                                                    D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &rt, nullptr))
      << "render targets live in the default pool";
  EXPECT_EQ(D3DERR_INVALIDCALL,
            dev_->CreateTexture(0, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &rt, nullptr));
  EXPECT_EQ(D3DERR_NOTAVAILABLE,
            dev_->CreateTexture(16, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &rt, nullptr));
}

TEST_F(NullDeviceTest, RenderTargetAndDepthStencilSwitching) {
  IDirect3DSurface9* backBuffer = nullptr;
  IDirect3DSurface9* autoDepth = nullptr;
  ASSERT_EQ(D3D_OK, dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer));
  ASSERT_EQ(D3D_OK, dev_->GetDepthStencilSurface(&autoDepth));
  IDirect3DSurface9* current = nullptr;
  dev_->GetRenderTarget(0, &current);
  EXPECT_EQ(backBuffer, current) << "the back buffer is the first target";
  current->Release();
  D3DSURFACE_DESC d{};
  backBuffer->GetDesc(&d);
  EXPECT_EQ(320u, d.Width);
  EXPECT_EQ(D3DUSAGE_RENDERTARGET, d.Usage);
  autoDepth->GetDesc(&d);
  EXPECT_EQ(D3DFMT_D16, d.Format);

  IDirect3DTexture9* tex = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateTexture(128, 64, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                        D3DPOOL_DEFAULT, &tex, nullptr));
  IDirect3DSurface9* depth = nullptr;
  ASSERT_EQ(D3D_OK, dev_->CreateDepthStencilSurface(128, 64, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0,
                                                    TRUE, &depth, nullptr));
  IDirect3DSurface9* level = nullptr;
  tex->GetSurfaceLevel(0, &level);

  D3DVIEWPORT9 small{0, 0, 10, 10, 0, 1};
  dev_->SetViewport(&small);
  ASSERT_EQ(D3D_OK, dev_->SetRenderTarget(0, level));
  ASSERT_EQ(D3D_OK, dev_->SetDepthStencilSurface(depth));
  D3DVIEWPORT9 vp{};
  dev_->GetViewport(&vp);
  EXPECT_EQ(128u, vp.Width) << "setting a target resets the viewport to its size";
  EXPECT_EQ(64u, vp.Height);
  dev_->GetRenderTarget(0, &current);
  EXPECT_EQ(level, current);
  current->Release();
  dev_->GetDepthStencilSurface(&current);
  EXPECT_EQ(depth, current);
  current->Release();

  EXPECT_EQ(D3D_OK, dev_->SetDepthStencilSurface(nullptr)) << "no depth buffer is allowed";
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetRenderTarget(0, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetRenderTarget(1, backBuffer));
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetRenderTarget(0, autoDepth)) << "depth is no colour";
  EXPECT_EQ(D3DERR_INVALIDCALL, dev_->SetDepthStencilSurface(backBuffer));

  ASSERT_EQ(D3D_OK, dev_->SetRenderTarget(0, backBuffer));
  ASSERT_EQ(D3D_OK, dev_->SetDepthStencilSurface(autoDepth));
  dev_->GetViewport(&vp);
  EXPECT_EQ(320u, vp.Width);

  level->Release();
  EXPECT_EQ(0u, tex->Release()) << "switching back released the device's hold on the texture";
  EXPECT_EQ(0u, depth->Release());
  backBuffer->Release();
  autoDepth->Release();
}

}  // namespace

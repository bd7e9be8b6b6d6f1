// The GL device gives up the CPU copies of texture levels and static vertex buffers once the
// GPU holds them: locks must still find what was last written, later writes must still
// reach the picture, and resources that outlive the device keep their contents.
#include <cstring>

#include "d3d9/resources.h"
#include "gl_fixture.h"

namespace {

using vexil::d3d9::Texture;
using vexil::d3d9::VertexBuffer;

// A 4 x 4 texture with two levels whose texels all differ, the unused byte included.
IDirect3DTexture9* MakeTwoLevelTexture(IDirect3DDevice9* dev, D3DFORMAT format) {
  IDirect3DTexture9* tex = nullptr;
  EXPECT_EQ(D3D_OK, dev->CreateTexture(4, 4, 2, 0, format, D3DPOOL_MANAGED, &tex, nullptr));
  if (!tex) return nullptr;
  for (UINT level = 0; level < 2; ++level) {
    D3DLOCKED_RECT lr{};
    EXPECT_EQ(D3D_OK, tex->LockRect(level, &lr, nullptr, 0));
    const UINT side = 4 >> level;
    for (UINT y = 0; y < side; ++y) {
      auto* row = reinterpret_cast<DWORD*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch);
      for (UINT x = 0; x < side; ++x) row[x] = 0x10203040u * (level + 1) + y * 16 + x;
    }
    tex->UnlockRect(level);
  }
  return tex;
}

class GlResourceCopiesTest : public GlDeviceTest {
 protected:
  // Draws a full-screen quad with the texture on stage 0 (which uploads it).
  void DrawWith(IDirect3DTexture9* tex) {
    UseClipSpace();
    dev_->SetTexture(0, tex);
    dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    DrawClipQuad(-1, -1, 1, 1, 0.5f, 0xffffffff);
    dev_->SetTexture(0, nullptr);
  }

  // A static quad covering the left or right half, in a write-only managed buffer.
  IDirect3DVertexBuffer9* MakeQuadBuffer(D3DCOLOR color) {
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(D3D_OK, dev_->CreateVertexBuffer(8 * sizeof(VertexXyzColorTex), D3DUSAGE_WRITEONLY,
                                               0x142, D3DPOOL_MANAGED, &vb, nullptr));
    VertexXyzColorTex* v = nullptr;
    EXPECT_EQ(D3D_OK, vb->Lock(0, 0, reinterpret_cast<void**>(&v), 0));
    const VertexXyzColorTex quads[8] = {{-1, 1, 0.5f, color, 0, 0},  {0, 1, 0.5f, color, 1, 0},
                                        {-1, -1, 0.5f, color, 0, 1}, {0, -1, 0.5f, color, 1, 1},
                                        {0, 1, 0.5f, color, 0, 0},   {1, 1, 0.5f, color, 1, 0},
                                        {0, -1, 0.5f, color, 0, 1},  {1, -1, 0.5f, color, 1, 1}};
    std::memcpy(v, quads, sizeof quads);
    vb->Unlock();
    return vb;
  }

  void DrawBuffer(IDirect3DVertexBuffer9* vb) {
    UseClipSpace();
    dev_->SetFVF(0x142);
    dev_->SetStreamSource(0, vb, 0, sizeof(VertexXyzColorTex));
    dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
    dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2);
    dev_->SetStreamSource(0, nullptr, 0, 0);
  }
};

TEST_F(GlResourceCopiesTest, TextureLevelsComeBackFromTheGpuOnLock) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    IDirect3DTexture9* tex = MakeTwoLevelTexture(dev_, format);
    ASSERT_NE(nullptr, tex);
    DrawWith(tex);
    auto& levels = static_cast<Texture*>(tex)->Levels();
    EXPECT_TRUE(levels[0].gpuOnly && levels[1].gpuOnly && levels[0].bytes.capacity() == 0)
        << "format " << format << ": the copies stay after the upload";
    for (UINT level = 0; level < 2; ++level) {
      D3DLOCKED_RECT lr{};
      ASSERT_EQ(D3D_OK, tex->LockRect(level, &lr, nullptr, D3DLOCK_READONLY));
      const UINT side = 4 >> level;
      for (UINT y = 0; y < side; ++y) {
        auto* row = reinterpret_cast<const DWORD*>(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch);
        for (UINT x = 0; x < side; ++x) {
          EXPECT_EQ(0x10203040u * (level + 1) + y * 16 + x, row[x])
              << "format " << format << " level " << level << " texel " << x << "," << y;
        }
      }
      tex->UnlockRect(level);
    }
    tex->Release();
  }
}

TEST_F(GlResourceCopiesTest, TextureWrittenAfterItsCopyWentReachesThePicture) {
  IDirect3DTexture9* tex = MakeTexture(2, 1, {0xffff0000, 0xff0000ff});
  DrawWith(tex);
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), ReadPixel(10, 20), 0);
  // One texel of a rectangle lock changes; the other keeps what the GPU held.
  D3DLOCKED_RECT lr{};
  const RECT right{1, 0, 2, 1};
  ASSERT_EQ(D3D_OK, tex->LockRect(0, &lr, &right, 0));
  *static_cast<DWORD*>(lr.pBits) = 0xff00ff00;
  tex->UnlockRect(0);
  DrawWith(tex);
  ReadBackBuffer();
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), Pixel(10, 20), 0) << "the texel not written";
  EXPECT_RGB_NEAR((Rgba{0, 255, 0, 255}), Pixel(50, 20), 0) << "the texel written";
  // Locked again after drawing: the texture now keeps its copy for the next locks.
  EXPECT_FALSE(static_cast<Texture*>(tex)->Levels()[0].gpuOnly);
  tex->Release();
}

TEST_F(GlResourceCopiesTest, StaticVertexBufferComesBackFromTheGpuOnLock) {
  IDirect3DVertexBuffer9* vb = MakeQuadBuffer(0xffff0000);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawBuffer(vb);
  EXPECT_TRUE(static_cast<VertexBuffer*>(vb)->storage.GpuOnly() &&
              static_cast<VertexBuffer*>(vb)->storage.Data() == nullptr)
      << "the copy stays after the upload";
  // A partial lock sees the vertices; recolouring the second quad leaves the first alone.
  VertexXyzColorTex* v = nullptr;
  ASSERT_EQ(D3D_OK, vb->Lock(4 * sizeof(VertexXyzColorTex), 4 * sizeof(VertexXyzColorTex),
                             reinterpret_cast<void**>(&v), 0));
  EXPECT_EQ(0.0f, v[0].x);
  EXPECT_EQ(1.0f, v[1].x);
  EXPECT_EQ(0xffff0000u, v[3].color);
  for (int i = 0; i < 4; ++i) v[i].color = 0xff0000ff;
  vb->Unlock();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawBuffer(vb);
  ReadBackBuffer();
  EXPECT_RGB_NEAR((Rgba{255, 0, 0, 255}), Pixel(10, 20), 0);
  EXPECT_RGB_NEAR((Rgba{0, 0, 255, 255}), Pixel(50, 20), 0);
  vb->Release();
}

TEST_F(GlResourceCopiesTest, DiscardingLockOfAGivenUpBufferDrawsWhatIsWritten) {
  IDirect3DVertexBuffer9* vb = MakeQuadBuffer(0xffff0000);
  DrawBuffer(vb);
  VertexXyzColorTex* v = nullptr;
  ASSERT_EQ(D3D_OK, vb->Lock(0, 0, reinterpret_cast<void**>(&v), D3DLOCK_DISCARD));
  const VertexXyzColorTex green[8] = {
      {-1, 1, 0.5f, 0xff00ff00, 0, 0},  {0, 1, 0.5f, 0xff00ff00, 1, 0},
      {-1, -1, 0.5f, 0xff00ff00, 0, 1}, {0, -1, 0.5f, 0xff00ff00, 1, 1},
      {0, 1, 0.5f, 0xff00ff00, 0, 0},   {1, 1, 0.5f, 0xff00ff00, 1, 0},
      {0, -1, 0.5f, 0xff00ff00, 0, 1},  {1, -1, 0.5f, 0xff00ff00, 1, 1}};
  std::memcpy(v, green, sizeof green);
  vb->Unlock();
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  DrawBuffer(vb);
  ReadBackBuffer();
  EXPECT_RGB_NEAR((Rgba{0, 255, 0, 255}), Pixel(10, 20), 0);
  EXPECT_RGB_NEAR((Rgba{0, 255, 0, 255}), Pixel(50, 20), 0);
  vb->Release();
}

TEST_F(GlResourceCopiesTest, ResourcesOutlivingTheDeviceKeepTheirContents) {
  IDirect3DTexture9* tex = MakeTexture(1, 1, {0xff123456});
  IDirect3DVertexBuffer9* vb = MakeQuadBuffer(0xff00ff00);
  DrawWith(tex);
  DrawBuffer(vb);
  ASSERT_TRUE(static_cast<Texture*>(tex)->Levels()[0].gpuOnly);
  ASSERT_TRUE(static_cast<VertexBuffer*>(vb)->storage.GpuOnly());
  EXPECT_EQ(0u, dev_->Release());
  dev_ = nullptr;

  D3DLOCKED_RECT lr{};
  ASSERT_EQ(D3D_OK, tex->LockRect(0, &lr, nullptr, D3DLOCK_READONLY));
  EXPECT_EQ(0xff123456u, *static_cast<DWORD*>(lr.pBits));
  tex->UnlockRect(0);
  VertexXyzColorTex* v = nullptr;
  ASSERT_EQ(D3D_OK, vb->Lock(0, 0, reinterpret_cast<void**>(&v), D3DLOCK_READONLY));
  EXPECT_EQ(0xff00ff00u, v[5].color);
  EXPECT_EQ(1.0f, v[5].x);
  vb->Unlock();
  tex->Release();
  vb->Release();
}

}  // namespace

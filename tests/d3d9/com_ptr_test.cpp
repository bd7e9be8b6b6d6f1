// Com<T> against the null device: each owned reference is counted once, by the object's own
// reference count, through copies, moves, resets and Create* out-parameters.
#include "d3d9/com_ptr.h"

#include <utility>
#include <vector>

#include "null_fixture.h"

namespace {

using vexil::Com;

// The object's reference count, read without changing it.
ULONG Refs(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class ComPtrTest : public NullDeviceTest {
 protected:
  Com<IDirect3DTexture9> MakeTexture() {
    Com<IDirect3DTexture9> tex;
    EXPECT_EQ(D3D_OK, dev_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, tex.put(),
                                          nullptr));
    return tex;
  }
};

TEST_F(ComPtrTest, CreateOutParameterAdoptsTheReferenceAndDestructionReleasesIt) {
  IDirect3DTexture9* raw = nullptr;
  {
    Com<IDirect3DTexture9> tex = MakeTexture();
    ASSERT_TRUE(tex);
    raw = tex.get();
    EXPECT_EQ(1u, Refs(raw)) << "the Create* reference is the only one";
    raw->AddRef();  // a witness reference, to observe the release
  }
  EXPECT_EQ(0u, raw->Release()) << "leaving the scope gave the pointer's reference back";
}

TEST_F(ComPtrTest, CopiesAddAReferenceAndMovesHandItOver) {
  Com<IDirect3DTexture9> a = MakeTexture();
  IDirect3DTexture9* raw = a.get();
  {
    Com<IDirect3DTexture9> b = a;
    EXPECT_EQ(2u, Refs(raw));
    Com<IDirect3DTexture9> c = std::move(b);
    EXPECT_FALSE(b) << "a moved-from pointer is empty";
    EXPECT_EQ(2u, Refs(raw)) << "a move neither adds nor releases";
    Com<IDirect3DTexture9> d;
    d = c;
    EXPECT_EQ(3u, Refs(raw));
    d = std::move(c);
    EXPECT_EQ(2u, Refs(raw)) << "move-assigning over the same object releases the old one";
  }
  EXPECT_EQ(1u, Refs(raw));
  const Com<IDirect3DTexture9>& same = a;
  a = same;  // self-assignment keeps the object alive
  ASSERT_TRUE(a);
  EXPECT_EQ(1u, Refs(raw));
  std::vector<Com<IDirect3DTexture9>> many(4, a);
  EXPECT_EQ(5u, Refs(raw));
  many.clear();
  EXPECT_EQ(1u, Refs(raw));
}

TEST_F(ComPtrTest, ResetPutAndAssigningNullReleaseWhatWasHeld) {
  Com<IDirect3DTexture9> first = MakeTexture();
  IDirect3DTexture9* raw = first.get();
  raw->AddRef();  // witness
  Com<IDirect3DTexture9> holder = first;
  first = nullptr;
  EXPECT_EQ(2u, Refs(raw));
  // put() for a second Create* releases the texture held before.
  ASSERT_EQ(D3D_OK, dev_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, holder.put(),
                                        nullptr));
  EXPECT_NE(raw, holder.get());
  EXPECT_EQ(1u, Refs(raw));
  holder.reset();
  EXPECT_FALSE(holder);
  EXPECT_EQ(0u, raw->Release());
}

TEST_F(ComPtrTest, GetCallsAndSharedPointersKeepBindingsCounted) {
  Com<IDirect3DTexture9> tex = MakeTexture();
  ASSERT_EQ(D3D_OK, dev_->SetTexture(0, tex.get()));
  EXPECT_EQ(2u, Refs(tex.get())) << "the device holds one while it is bound";
  {
    Com<IDirect3DBaseTexture9> bound;
    ASSERT_EQ(D3D_OK, dev_->GetTexture(0, &bound));
    EXPECT_TRUE(bound == static_cast<IDirect3DBaseTexture9*>(tex.get()));
    EXPECT_EQ(3u, Refs(tex.get()));
    Com<IDirect3DSurface9> level;
    ASSERT_EQ(D3D_OK, tex->GetSurfaceLevel(0, level.put()));
    auto shared = Com<IDirect3DSurface9>::Share(level.get());
    EXPECT_EQ(5u, Refs(tex.get())) << "a level surface shares its texture's count";
  }
  EXPECT_EQ(2u, Refs(tex.get()));
  dev_->SetTexture(0, nullptr);
  EXPECT_EQ(1u, Refs(tex.get()));
  IDirect3DTexture9* given = tex.detach();
  EXPECT_FALSE(tex);
  EXPECT_EQ(0u, given->Release()) << "detach handed the reference over unreleased";
}

}  // namespace

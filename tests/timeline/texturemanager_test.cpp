// CTextureManager: reference ownership (observed through the textures' own counts),
// lookups without regard to case, first match wins, depth-stencil pairs, long names.
#include <gtest/gtest.h>

#include <string>

#include "enginefixture.h"

namespace {

// The reference count of a COM-style object, left as it was.
ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

class TextureManagerTest : public EngineTest {
 protected:
  IDirect3DTexture9* NewTexture() {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3D_OK, dev_->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                          nullptr));
    return texture;
  }
  IDirect3DSurface9* NewDepth() {
    IDirect3DSurface9* depth = nullptr;
    EXPECT_EQ(D3D_OK, dev_->CreateDepthStencilSurface(16, 16, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0,
                                                      TRUE, &depth, nullptr));
    return depth;
  }
};

TEST_F(TextureManagerTest, TakesOverOneReferenceLendsOnLookupAndReleasesOnDestruction) {
  IDirect3DTexture9* plain = NewTexture();
  IDirect3DTexture9* target = NewTexture();
  IDirect3DSurface9* depth = NewDepth();
  // Extra references of the test's own, so the objects outlive the manager and stay countable.
  plain->AddRef();
  target->AddRef();
  depth->AddRef();
  auto* manager = new CTextureManager;
  manager->AddTexture("plain", plain);
  manager->AddTexture("target", target, depth);
  EXPECT_EQ(2u, RefCount(plain)) << "adding takes over the caller's reference";
  EXPECT_EQ(2u, RefCount(depth));

  EXPECT_EQ(plain, manager->GetTexture("plain"));
  EXPECT_EQ(depth, manager->GetDepthStencil("target"));
  EXPECT_EQ(2u, RefCount(plain)) << "lookups lend the pointer";
  EXPECT_EQ(2u, RefCount(depth));

  delete manager;
  EXPECT_EQ(0u, plain->Release()) << "the manager released its reference";
  EXPECT_EQ(0u, target->Release());
  EXPECT_EQ(0u, depth->Release());
}

TEST_F(TextureManagerTest, LookupsIgnoreCaseFirstOfTwoNamesWinsAndDepthPairsAreKept) {
  IDirect3DTexture9* first = NewTexture();
  IDirect3DTexture9* second = NewTexture();
  IDirect3DTexture9* target = NewTexture();
  IDirect3DSurface9* depth = NewDepth();
  textures_->AddTexture("Flare", first);
  textures_->AddTexture("FLARE", second, NewDepth());
  textures_->AddTexture("rt", target, depth);
  EXPECT_EQ(first, textures_->GetTexture("flare"));
  EXPECT_EQ(nullptr, textures_->GetDepthStencil("flare")) << "the earlier, plain entry wins";
  EXPECT_EQ(target, textures_->GetTexture("RT"));
  EXPECT_EQ(depth, textures_->GetDepthStencil("Rt"));
  EXPECT_EQ(nullptr, textures_->GetTexture("flar"));
  EXPECT_EQ(nullptr, textures_->GetDepthStencil("missing"));
  EXPECT_EQ(nullptr, textures_->GetTexture(nullptr));
}

TEST_F(TextureManagerTest, NamesLongerThanTheFieldAreCutNotOverrun) {
  const std::string longName(300, 'n');
  textures_->AddTexture(longName.c_str(), NewTexture());
  EXPECT_NE(nullptr, textures_->GetTexture(longName.substr(0, 255).c_str()))
      << "the first 255 characters are kept";
  EXPECT_EQ(nullptr, textures_->GetTexture(longName.c_str()));
}

TEST_F(TextureManagerTest, NullTextureIsRefusedAndItsDepthSurfaceNotLeaked) {
  IDirect3DSurface9* depth = NewDepth();
  depth->AddRef();
  textures_->AddTexture("broken", nullptr, depth);
  EXPECT_EQ(0, textures_->GetTextureCount());
  EXPECT_EQ(nullptr, textures_->GetTexture("broken"));
  EXPECT_EQ(0u, depth->Release()) << "the handed-over reference was released";
}

}  // namespace
